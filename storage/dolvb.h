#pragma once
// The process-wide data of the system: folders, both settings stores, the
// item labels, the pick-lists, the ledger buffers and the index. The start-up
// builds one Dolvb and hands it to every screen by reference; tests build
// their own on a temporary folder. Nothing here is a global.
//
// Folders are held with exactly one trailing separator, and paths are formed
// by plain concatenation (folder + file name).

#include "storage/file_lock.h"
#include "storage/index_table.h"
#include "storage/ledger_file.h"
#include "storage/ledger_record.h"
#include "storage/messages.h"
#include "storage/pick_lists.h"
#include "storage/settings_store.h"

#include <QString>

#include <QDate>

#include <array>
#include <map>
#include <set>
#include <vector>

namespace kpv {

class SharedChange;

class Dolvb {
public:
    Dolvb(Messages &messages, BusyPointer &pointer) : m_messages(messages), m_pointer(pointer) {}
    Dolvb(const Dolvb &) = delete;
    Dolvb &operator=(const Dolvb &) = delete;

    Messages &messages() { return m_messages; }
    BusyPointer &pointer() { return m_pointer; }

    // Folders (end with one separator).
    QString clientFolder;
    QString dataFolder;
    // The data folder can be used: an absolute path of two or more
    // characters. An empty, one-character or relative one would put every
    // shared file wherever the program was started; it is the wrong-data-
    // folder case, and no file is read or written there.
    bool dataFolderUsable() const;

    // Process-wide values of the start-up.
    QString machineName;
    QString appTitle;
    QString backgroundColour;      // colour constant text in blue-green-red order ("&H00E6D8AD"), empty = none yet
    int ledgerCapacity = 50010;
    int loginPending = 0;
    int subScreenOpened = 0;
    int entryTarget = 0;
    int changePending = 0;
    bool dailyIndexChecked = false;

    // The two settings stores in memory.
    SettingsSlots clientSettings;  // ClientSettings, slots 1..50
    SettingsSlots sharedSettings;  // SharedSettings, slots 1..50

    // Settings operations (file format and location rule in settings_store.h).
    QString clientSettingsPath() const;
    QString sharedSettingsPath() const;  // chosen anew at every call
    void loadClientSettings();
    // Trims every slot, writes the whole file. False (and a message to the
    // user) when the file cannot be written.
    bool saveClientSettings();
    // True when the last loadSharedSettings read all 50 slots.
    bool loadSharedSettings();
    bool saveSharedSettings();
    void askResetDataFolder();

    // The one way to change slots of a store that other clients (or other
    // screens of this client) may have changed meanwhile: under the lock
    // beside the file, the file is read again and written whole (atomically)
    // with exactly these slots set; the other slots keep what the file holds.
    // Values are cleaned as the matching save cleans them (SharedSettings:
    // CleanText, ClientSettings: spaces trimmed). A value the file cannot
    // hold (double quote, CR, LF, a character code page 932 cannot hold) is
    // refused with a message naming it, and nothing is written. On success
    // the same slots are set in memory. False when refused or not written
    // (the user was told; a SharedSettings file in a data folder that cannot
    // be written brings the wrong-data-folder question).
    bool changeSharedSettings(const std::map<int, QString> &changes);
    bool changeClientSettings(const std::map<int, QString> &changes);
    // The same change of SharedSettings slots as one part of a change of
    // several shared files (shared_change.h) that holds SharedSettings' lock:
    // puts the file as it is now with exactly these slots set (the values
    // cleaned in place). False, with nothing put, when the file cannot be
    // read (or a file this client read is gone now) or a value cannot be
    // held (problem names it). Once the change is committed,
    // sharedSettingsChanged sets the same slots in memory.
    bool putSharedSettings(SharedChange &change, std::map<int, QString> &changes, QString *problem = nullptr);
    void sharedSettingsChanged(const std::map<int, QString> &changes);

    // Item labels, positions 1..20 (index 0 unused): the column and field
    // titles, five of them taken from SharedSettings.
    std::array<QString, 21> itemLabels;
    void buildItemLabels();

    // Where the settings files went wrong last (for tests and callers that
    // want to know why a load or save did not complete).
    bool sharedSettingsLoadFailed = false;

    // ---- Ledger file ------------------------------------------------------
    LedgerRecord recordBuffer;      // the record last read or about to be written
    LedgerRecord tempRecordBuffer;  // the same for the temporary ledger
    int recordCount = 0;            // records in the ledger, as last counted
    int currentRecordNo = 0;        // record shown or edited (a new item: recordCount + 1)

    QString ledgerPath() const;
    QString tempLedgerPath() const;
    // Opens the ledger again (created empty when missing), counts it and
    // closes it: a ledger held open on this PC keeps other PCs from putting
    // a new one in its place. readRecord opens it again for its series of
    // reads, until closeLedger. Shows the capacity message and holds the
    // count at ledgerCapacity - 1 when full. False (count unchanged, no
    // message) when it cannot be opened.
    // A ledger that cannot be written (a read-only data folder, a view-only
    // share) is opened for reading; ledgerReadOnly() then says so and every
    // write is refused with a message.
    bool openLedger();
    void closeLedger();
    bool ledgerReadOnly() const { return m_ledgerReadOnly; }
    // Which file the ledger is, as it was last opened, read or written
    // through (see file_identity.h).
    FileIdentity ledgerIdentity() const { return m_ledger.identity(); }
    // Reads record n (1..recordCount) into recordBuffer.
    bool readRecord(int n);
    // Adds a record at the true end of the ledger: under the lock shared
    // with the other clients the ledger is counted again and the record is
    // written after the last one, so a record another client appended
    // meanwhile is never overwritten. Returns the number written (and sets
    // recordCount to it); 0 when nothing was written (capacity reached,
    // read-only ledger, busy lock or a write error: the user was told).
    // op: what the change journal calls it (a new item or a copy).
    int appendRecord(const LedgerRecord &rec, changes::Op op = changes::Op::New);
    // Rewrites existing record n: under the same lock the ledger is counted
    // and n must be 1..count at that moment. Anything else is refused and
    // nothing is written (the user was told).
    bool rewriteRecord(int n, const LedgerRecord &rec);
    // A correction of record n written back, as one step under the ledger
    // lock: the ledger is read again, and rec is written only when the ledger
    // is still the file the card read (`readFrom`) and record n still holds
    // `expected`, the bytes the card read. Otherwise nothing is written:
    // Changed when record n holds other bytes of the same item number (a
    // change another client registered); Reordered when it holds another
    // item number, no longer exists, or the ledger was replaced meanwhile (a
    // sort or deletion registered elsewhere). `now` gets the bytes record n
    // held under the lock (before the write). Failed: the user was told.
    enum class Correction { Written, Changed, Reordered, Failed };
    Correction rewriteCorrection(int n, const LedgerRecord &rec, const QByteArray &expected, const FileIdentity &readFrom,
                                 QByteArray *now = nullptr, changes::Op op = changes::Op::Correction);
    // Rewrites record n (1..recordCount) from recordBuffer; returns n, or 0
    // when refused (a number past recordCount included: new records go
    // through appendRecord).
    int writeRecord(int n);

    bool openTempLedger();   // sets currentRecordNo to the temporary ledger's count
    bool readTempRecord(int n);
    bool writeTempRecord(int n);
    void deleteTempLedger();

    // ---- Pick-lists -------------------------------------------------------
    PickLists pickListTable;        // words (PickListTable) and companions (PickListIds)
    int currentList = 0;
    bool pickListOpenFailed = false;

    QString pickListPath(int list) const;
    void loadPickLists();
    void readPickList(int list, const QString &fileText);
    // Writes all five lists from the memory table (entries 1..count of
    // each). False at the first list not written (the user was told).
    bool savePickLists();
    // Writes one list (2..6) from the memory table, and its count into its
    // SharedSettings slot, as one change under the locks of both files.
    // Lists outside 2..6 and words the file cannot hold are refused;
    // nothing is written then. False when not written (told).
    bool savePickList(int list);
    // The "追記" of the card for list currentList (2..6; any other list is
    // refused): asks, then under the locks of the list and of SharedSettings
    // reads the list file again, checks for the same word, appends at the
    // first empty entry, and writes the list and only its count slot as one
    // change (both or neither). True when the word was appended and saved.
    bool appendPickListWord(const QString &entryText);

    // ---- Index and totals -------------------------------------------------
    IndexTable indexTable;
    double totalStockValue = 0;
    double listedStockValue = 0;
    int foundFlag = 1;              // 1 = not found, 2 = found
    int foundRecordNo = 0;
    QString foundRecordText;

    void rebuildIndex();
    void buildSortIndex();
    bool saveIndexCache();
    void loadIndexCache();
    // The refresh on each opening of the ledger screen: a rebuild once a day
    // (by SharedSettings slot 13), else the cache.
    void refreshIndex(const QDate &today);
    void sumStockValue();
    // recordNos: the record numbers of the narrowed list's rows in order
    // (0 entries are skipped).
    void sumListedStockValue(const std::vector<int> &recordNos);
    bool findItemNumber(const QString &key);
    bool findOtherItemNumber(const QString &key);
    // Every record of the index whose item number reads as key, in order.
    std::vector<int> recordsHoldingItemNumber(const QString &key) const;

private:
    Messages &m_messages;
    BusyPointer &m_pointer;
    LedgerFile m_ledger;
    LedgerFile m_tempLedger;

    bool m_ledgerReadOnly = false;
    // Shared files this client has read or written: one of them not found
    // later is an error, never a new empty file.
    std::set<QString> m_knownFiles;
    bool knownFile(const QString &path) const { return m_knownFiles.count(path) > 0; }

    enum class SharedFilesProblem { Busy, InUse, CannotWrite };
    void tellListsNotSaved(const QString &path, SharedFilesProblem problem, const LockHolder &holder);
    bool saveLists(const std::vector<int> &lists, const char *operation);

    void tellCapacity();
    void tellLedgerReadOnly();
    void tellCannotWriteLedger();
    void tellJournalProblem(const QString &problem);
    int rewrite(int n, LedgerRecord &rec, const LedgerFile::RewriteCheck &check = {}, LedgerFile::RewriteResult *outcome = nullptr,
                changes::Op op = changes::Op::Correction);
    bool prepareLedger();
    bool changeSettings(bool shared, const std::map<int, QString> &changes);
    void fillIndex(bool sortIndex);
};

} // namespace kpv
