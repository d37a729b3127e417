#pragma once
// Whole-file reads and writes of the small shared files.

#include <QByteArray>
#include <QLockFile>
#include <QString>

namespace kpv {

// Reads the whole file. False when it cannot be opened or read.
bool readWholeFile(const QString &path, QByteArray &out);

// Replaces the file whole: the bytes are written to a new file beside it,
// which then takes the old file's place in one step. A crash, a full disk or
// a reader on another client never sees half a file; of two writers, the
// last one wins. False (old file untouched) when it cannot be written.
bool replaceFile(const QString &path, const QByteArray &bytes);

// The lock file beside a shared file ("<file>.lock"), held for the lifetime
// of the object. Every client that changes the file takes it first, so a
// re-read and the write that follows are one step for the other clients.
// A lock left by a crashed client is taken over after 30 seconds; waiting
// for a lock held by a live client gives up after 10 seconds.
class FileLock {
public:
    enum class State { Locked, Busy, Failed };
    explicit FileLock(const QString &path);
    State state() const { return m_state; }
    bool locked() const { return m_state == State::Locked; }

private:
    QLockFile m_lock;
    State m_state = State::Failed;
};

} // namespace kpv
