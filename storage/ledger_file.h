#pragma once
// The ledger file on disk: fixed 926-byte records numbered from 1.
//
// The record count is the file length divided by 926, rounded to the nearest
// whole number with ties to even (3 records and 500 bytes count 4; 3 records
// and 400 bytes count 3). A trailing partial record reads NUL-filled. Every
// write is a whole record; a write past the end first fills the gap with
// NULs, so the file always grows by whole records.
//
// Appending takes the ledger's lock (file_lock.h), shared by every client of
// the data folder, recounts the file and writes at its true end, so two
// clients appending at the same moment get different record numbers; the
// record is on the disk before the lock is given back. Every change of the
// ledger writes its entry in the change journal under the same lock before
// it writes the ledger, and marks it done after (change_journal.h): a
// journal that cannot be written stops the change before anything changed. Rewriting a record
// is one write of all 926 bytes under the same lock. Both open the file for
// the change only, and close the reading handle first: a ledger kept open
// keeps another PC from putting a sorted ledger in its place.

#include "storage/change_journal.h"
#include "storage/file_identity.h"
#include "storage/ledger_record.h"

#include <QFile>
#include <QString>

#include <functional>

namespace kpv {

class LedgerFile {
public:
    explicit LedgerFile(QString path = QString()) : m_path(std::move(path)) {}

    void setPath(const QString &path);
    QString path() const { return m_path; }

    // Opens for reading and writing, creating an empty file when missing.
    // A file that exists but cannot be written is opened for reading only
    // (readOnly() then says so; every write fails).
    bool open();
    void close() { m_file.close(); }
    bool isOpen() const { return m_file.isOpen(); }
    bool readOnly() const { return m_readOnly; }
    // Which file was opened last, for reading or for a change (see
    // file_identity.h): another one after the ledger was replaced by a
    // registered sort or deletion or an import.
    FileIdentity identity() const { return m_identity; }

    qint64 length() const { return m_file.size(); }
    static int countRecords(qint64 length);
    int countRecords() const { return countRecords(length()); }
    // Of `tail` bytes after `records` whole records, how many a rewrite keeps
    // after them: all, unless the count rule would then take them for one
    // more record (a half record must never come back as an item).
    static qint64 keptTail(int records, qint64 tail);

    // Reads record n (from 1). False when no byte of it is in the file.
    bool read(int n, LedgerRecord &record);
    // Reads up to count whole or partial records starting at record first into
    // buffer (926 bytes each, the last one NUL-filled); returns the number read.
    int readBlock(int first, int count, QByteArray &buffer);
    // Writes the record (its line end set to CR LF) as record n.
    bool write(int n, LedgerRecord &record);

    enum class AppendResult { Appended, Full, Busy, ReadOnly, Failed, JournalFailed };
    // Appends under the shared lock. recordNo gets the number written. Full
    // when the true end is already beyond capacity records.
    AppendResult append(LedgerRecord &record, int capacity, int &recordNo, changes::Op op = changes::Op::New);

    enum class RewriteResult { Rewritten, NoSuchRecord, Refused, Busy, ReadOnly, Failed, JournalFailed };
    // Decides under the lock whether a rewrite goes ahead, from the record as
    // the ledger holds it at that moment and the file it was read from.
    using RewriteCheck = std::function<bool(const LedgerRecord &now, const FileIdentity &file)>;
    // Rewrites record n under the shared lock; n must be 1..count as counted
    // under the lock, else nothing is written. With a check, record n is read
    // again under the lock and written only when the check says so
    // (Refused otherwise): the comparison and the write are one step for
    // every other client.
    RewriteResult rewrite(int n, LedgerRecord &record, const RewriteCheck &check = {}, changes::Op op = changes::Op::Correction);
    // JournalFailed: why the entry could not be written, for the user.
    QString journalProblem() const { return m_journalProblem; }

    QString lockPath() const { return m_path + QStringLiteral(".lock"); }

    // Replaces the ledger at path whole, under its lock held by the caller:
    // the new ledger (written by `write` to the descriptor it gets) goes to
    // a file of this process's own beside the ledger, synced, with the
    // ledger's mode, owner and group; if the lock is still held it is
    // renamed over the ledger (retried while another PC holds the ledger
    // open) and the folder is synced. A crash leaves the old ledger or the
    // new one. InUse: another PC kept the ledger open past the bound;
    // LockLost: another client took the lock over; JournalFailed: the
    // change's entry or the copy of the ledger as it was could not be
    // written (problem says why). Nothing changed then.
    // operation names the steps a test may stop at (".written", ".renamed").
    enum class ReplaceResult { Replaced, InUse, LockLost, Failed, JournalFailed };
    // beforeRename (tests): called before the rename; false stops there as
    // a crash would, and the new file is removed.
    static ReplaceResult replaceWhole(const QString &path, const class FileLock &lock, const std::function<bool(int fd)> &write,
                                      const char *operation, changes::Op op, const std::function<bool()> &beforeRename = {},
                                      QString *problem = nullptr);

private:
    QString m_path;
    QFile m_file; // opened by descriptor: it does not keep the path
    bool m_readOnly = false;
    FileIdentity m_identity;
    QString m_journalProblem;
};

} // namespace kpv
