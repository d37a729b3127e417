#pragma once
// A change of several shared files that must agree with each other (a word
// list and its count in SharedSettings, all five lists and their counts):
// all of them change, or none.
//
// The files' locks are taken first, in one order every client uses (by file
// name), so two changes never wait for each other in a circle. The new
// contents are read against the files as they are now (read()), then
// commit() writes each new file beside its file, synced, with the old
// file's mode, owner and group. With more than one file a journal
// "<file>.commit" naming every pair goes beside each file, the one beside
// the first file last: from then on the change is decided. The files are
// renamed into place, the folder synced, the journals removed.
//
// A client that crashed after the decision leaves journals; whoever takes
// the lock of any of those files next (finishPendingChange, called by
// FileLock) renames the new files still waiting into place and removes the
// journals, so the files agree again before anybody reads them under a
// lock. A crash before the decision leaves the old files (and stray new
// files beside them, which are removed then too).

#include "storage/file_lock.h"
#include "storage/shared_io.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

namespace kpv {

class SharedChange {
public:
    // operation names the steps where a test may stop this change
    // (operation + ".locked", ".staged", ".decided", ".renamed-one", ".renamed").
    explicit SharedChange(const char *operation) : m_operation(operation) {}
    ~SharedChange();
    SharedChange(const SharedChange &) = delete;
    SharedChange &operator=(const SharedChange &) = delete;

    // Takes the lock of every file (waiting as FileLock does). Locked, or
    // the state of the first lock not had (busyPath() then names its file
    // and busyHolder() its holder); the locks taken are given back then.
    FileLock::State lock(const QStringList &paths, int waitMs = -1);
    const QString &busyPath() const { return m_busyPath; }
    const LockHolder &busyHolder() const { return m_busy; }

    // Reads a locked file as it is now. Missing only when the file is not
    // there; Failed when it is there and cannot be read.
    io::ReadStatus read(const QString &path, QByteArray &out) const;

    // The new contents of a locked file.
    void put(const QString &path, QByteArray bytes);

    enum class Result {
        Committed,
        InUse,    // another PC kept a file open past the bound; nothing changed
        LockLost, // another client took a lock over meanwhile; nothing changed
        Failed,   // a file could not be written; nothing changed
    };
    Result commit();

    void unlock();

private:
    const char *m_operation;
    std::vector<std::unique_ptr<FileLock>> m_locks;
    std::map<QString, QByteArray> m_new;
    QString m_busyPath;
    LockHolder m_busy;
    void step(const char *name) const;
};

// Finishes or clears a change left by a crashed client, found beside path
// (see above). Called with path's lock held.
void finishPendingChange(const QString &path);

// For a reader: when a change left half done waits beside path, takes the
// file's lock once, which finishes it, so the reader sees the files agree.
void settlePendingChange(const QString &path);

// The journal beside a file.
inline QString journalPathOf(const QString &path)
{
    return path + QStringLiteral(".commit");
}

} // namespace kpv
