#pragma once
// Where the shared data lives: the data-folder panel's confirm, transfer,
// register and return to the program folder, and the ledger backup switch.
//
// The data folder is ClientSettings slot 1 (slot 2 the previous one, slot 3
// "1" after a move, "0" back at the program folder). Browsing and typing only
// choose a candidate; nothing else follows it until the user confirms. Every
// change of ClientSettings sets exactly its slots in the file.
//
// Folders are compared by what they are, not as text: "./", a doubled
// separator or a symbolic link name the same folder. A typed folder must
// exist (and be absolute) before it is registered, and every change of
// ClientSettings is checked as written before the client moves.
//
// A transfer is planned first (what the target holds, whether it can be
// written: a target that cannot is refused with one message saying why,
// before anything changes), then asks (the copy, and for each kind of data
// the target already holds - word lists, ledger, daily book - whether to
// replace it), then copies: the missing sub-folders, the word lists, the
// ledger (under the ledger locks of both folders), the daily book, each file
// copied beside its target and then over it. A failed copy is reported and
// the next one is tried; the client then stays on the source folder, which
// still holds all its data. Otherwise the client moves, the word-list counts
// go with the lists copied, and the completion message names only what was
// copied.

#include <QString>
#include <QStringList>

namespace kpv {
class Dolvb;
}

namespace kpv::settings {

class DataFolder {
public:
    explicit DataFolder(Dolvb &d) : m_d(d) {}

    // Opening the panel: SharedSettings read again, the candidate is the data
    // folder. When the data folder cannot be read, the user is offered the
    // return to the program folder; false then.
    bool open();

    // File names of a folder (files only, by name).
    static QStringList listFiles(const QString &folder);

    QString candidate() const { return m_candidate; }
    QString previous() const;   // ClientSettings slot 2
    bool atSetupPosition() const;
    bool transferOffered() const { return m_transferOffered; }
    bool positionChanged() const { return m_positionChanged; }

    // Browsing to a folder: only the candidate changes.
    void browse(const QString &path);

    // Enter on a typed path: asks to confirm it as the data folder. A folder
    // that does not exist (or a relative path) is refused with a message.
    enum class Confirm { Confirmed, SameFolder, Missing, Declined };
    Confirm confirmTyped(const QString &typed);

    // A typed or browsed path as it is kept: cleaned (up to a NUL, spaces
    // trimmed), "." and doubled separators resolved, one trailing separator.
    static QString cleanFolder(const QString &path);
    // Whether two paths name the same folder (symbolic links resolved for
    // folders that exist).
    static bool sameFolder(const QString &a, const QString &b);

    // "データ転送" to the candidate. True when the client now works on it.
    bool transfer();

    // "登　録" of the panel (only with a pending change on a writable client).
    bool registerPanel();

    // The box beside "C:PFolder": back to the program folder (labels and
    // lists are read again from there). True when the user said yes.
    bool returnToSetup();
    void explainPosition();   // the box beside "DetaFolder"

    // The ledger backup switch (ClientSettings slot 18).
    bool setBackup(bool on);
    bool backupOn() const;

    static QString explanation();          // the panel's "説明"
    static QString listInfoExplanation();  // the list information's "説明"

    // What a transfer will do, worked out before anything changes.
    struct TransferPlan {
        QString source, target;
        QStringList folders;          // sub-folders of the target to create
        bool targetHasLists = false;  // any of the five word-list files
        bool targetHasLedger = false;
        bool targetHasDaily = false;
        bool targetHasSettings = false;
        QString dailyFrom;            // the source's daily book, or the program folder's blank one
        // The answers.
        bool copyData = false;        // word lists and ledger ("リスト項目データを転送します？")
        bool copyLists = false, copyLedger = false, copyDaily = false;
    };
    TransferPlan planTransfer(const QString &source, const QString &target) const;

private:
    bool askTransfer(TransferPlan &plan);
    // False when a copy failed (each one told).
    bool copyTransfer(const TransferPlan &plan);
    bool createSubFolders(const TransferPlan &plan);
    bool resetToClientFolder();
    void tell(const QString &text);
    bool ask(const QString &text);

    Dolvb &m_d;
    QString m_candidate;
    bool m_transferOffered = false;
    bool m_positionChanged = false;
};

} // namespace kpv::settings
