#pragma once
// The change journal of the ledger: who changed which item, when, from what
// to what.
//
// "Ma在庫品.journal" beside the ledger is UTF-8 text, one JSON object a line,
// read by nothing but the administrator's tool (kpvtool journal, kpvtool
// restore). Every change of the ledger writes one entry, under the ledger's
// lock, before the ledger changes:
//
//   {"id":E,"t":"2026-06-30T17:02:11.123+09:00","pc":"PC7","user":"tanaka","op":"訂正","n":1}
//   {"id":E,"rec":12,"was":12,"item":"A-003","ch":[{"k":"c2.3","f":"出庫 2026/06","b":"5","a":"7"}, ...]}
//
// The first line (the head) says who and what; the n lines after it name
// each item the change touches: its record number after the change (rec, 0
// when the item went away) and before it (was, 0 for a new item), its item
// number, and every field whose text differs, with its key ("f5" is field 5,
// "c2.3" the cell of row 2, month slot 3), its name and the texts before (b)
// and after (a). The entry is on the disk before the ledger is written; when
// the ledger change has landed, the line {"id":E,"done":TIME} follows; when it
// was given up with nothing changed, {"id":E,"failed":TIME}. An entry with
// neither did not finish (the client stopped, or the mark could not be
// written): kpvtool shows it as 未完了.
//
// A change of the whole ledger (sort, deletion, ledger import, monthly
// import, data transfer) first keeps the ledger as it was in the history
// folder "Ma在庫品履歴" beside it (the head names the copy under "history";
// the last 10 copies are kept), and lists the items whose fields differ
// between the ledger before and after, paired by item number (the k-th
// record of a number before with its k-th after): a sort lists none, a
// deletion the items it removed, an import every item it changed, added or
// removed. So the entry answers on its own what changed for each item, even
// after its history copy has been removed.
//
// Lines are appended at the file's size as the server has it now, asked
// under the lock (an append mode is refused by the file server), in one
// write per entry; a line cut short by a crash is ended before the next
// entry. The file is renamed to "Ma在庫品.journal.1" (replacing the older
// one) when the next entry would take it past 10 MB.

#include "storage/ledger_record.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace kpv::changes {

enum class Op { New, Correction, Copy, Sort, Delete, Import, Monthly, Transfer, Restore };
// The operation's name as the journal and the tool show it.
QString opName(Op op);

QString journalPath(const QString &ledgerPath);
QString olderJournalPath(const QString &ledgerPath);
QString historyFolder(const QString &ledgerPath);
inline QString historyFolderName() { return QStringLiteral("Ma在庫品履歴"); }

struct Limits {
    qint64 maxBytes = 10 * 1024 * 1024; // the journal grows into a second file beyond this
    int historyKept = 10;               // copies of the ledger kept in the history folder
    // The bounds of this process: the defaults, or KPV_JOURNAL_MAX_BYTES.
    // Tests set them directly.
    static Limits &process();
};

struct FieldChange {
    QString key;  // "f<n>" or "c<r>.<m>"
    QString name; // Japanese name of the field
    QString before, after;
};

struct ItemChange {
    int record = 0; // after the change; 0: the item went away
    int was = 0;    // before it; 0: a new item
    QString item;   // item number (after, or before when it went away)
    std::vector<FieldChange> fields;
};

// Every field and cell key of a record, in record order.
const QStringList &allKeys();
// The name of a field or cell; month cells are named by their month when
// the management start month ("yyyy/mm") is known.
QString fieldName(const QString &key, const QString &startMonth);
// The cleaned text of a field or cell of a record.
QString valueOf(const LedgerRecord &record, const QString &key);
// Stores text in the field or cell; false when the key is unknown or the
// code page cannot hold the text.
bool setValue(LedgerRecord &record, const QString &key, const QString &text);

// The fields whose text differs (before null: a new record).
std::vector<FieldChange> fieldChanges(const LedgerRecord *before, const LedgerRecord *after, const QString &startMonth);
// The items whose fields differ between two whole ledgers (see above).
std::vector<ItemChange> ledgerChanges(const QByteArray &before, const QByteArray &after, const QString &startMonth);

// The management start month as the settings beside the ledger hold it.
QString startMonthBeside(const QString &ledgerPath);

// One entry, written under the ledger lock held by the caller.
class Entry {
public:
    enum class Status { Written, ReadOnly, Failed };

    Entry(QString ledgerPath, Op op);
    ~Entry();
    Entry(const Entry &) = delete;
    Entry &operator=(const Entry &) = delete;

    // Month names from this start month instead of the settings' (an
    // import that stores a new one).
    void setStartMonth(const QString &startMonth) { m_startMonth = startMonth; m_startKnown = true; }

    // A change of record n (before null: appended).
    Status beginRecord(int n, const LedgerRecord *before, const LedgerRecord &after);
    // A change of the whole ledger: the copy of before is kept first.
    Status beginWhole(const QByteArray &before, const QByteArray &after);
    // The ledger change landed / was given up with nothing changed.
    void complete();
    void abandon();

    // Why begin failed, for the user (the file, then what could not be done).
    QString problem() const { return m_problem; }
    QString id() const { return m_id; }
    QString historyCopy() const { return m_history; }

private:
    Status write(const QByteArray &head, const std::vector<ItemChange> &items);
    void mark(const char *what);
    QString startMonth();

    QString m_ledgerPath;
    Op m_op;
    QString m_id;
    QString m_history;
    QString m_problem;
    QString m_startMonth;
    bool m_startKnown = false;
    int m_fd = -1;
    bool m_open = false;
};

// The message for an entry that could not be written.
QString failureText(const QString &problem);

} // namespace kpv::changes
