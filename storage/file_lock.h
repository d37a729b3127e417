#pragma once
// The lock of a shared file: the one lock every client takes before it
// changes a file of the data folder (the ledger, a settings store, a word
// list) or holds the sort and delete panel.
//
// Between PCs on a file server only the exclusive creation of a file or
// folder excludes (flock and fcntl locks stay on the PC that takes them).
// Measured over smbnetfs, two PCs creating the same file with O_EXCL at the
// same moment can both succeed (18 overlaps in 400 tries), while making a
// folder is decided by the server (none). So the lock is "<file>.lock"
// beside the shared file, made exclusively as a folder, with its text in
// the file "owner" in it. The text names the PC, the process (id and start
// time), a token of this holding and the time of its last refresh:
//
//   kpv-lock 1
//   pc=PLANT-PC7
//   pid=4711
//   start=1234567
//   token=9f2c...
//   time=2024-05-01T10:00:00.000Z
//   seq=3
//
// The holder rewrites it at the refresh interval from a thread of its own,
// for as long as it holds the lock, so a long operation (a ledger written
// over a slow link, an import of 50,000 items) keeps it however long each
// single write takes. Another client takes a lock over only when
//  - its holder is proven gone: the lock names this PC, and its process has
//    ended (or the id now belongs to a process started at another time); or
//  - it has not been refreshed for the stale bound, well above the interval:
//    seen unchanged by this process for that long, or seen unchanged for
//    three intervals while its own time is older than the bound (so a lock
//    left long ago is taken over without the full wait). An empty or
//    unreadable lock file counts as not refreshed.
// Taking over moves the old lock aside (one step) and checks that what
// was moved is the lock judged stale; a lock moved by mistake is put back.
// A holder that finds its lock file no longer naming it has lost the lock:
// stillHeld() says so, and changes check it before they put anything in
// place.
//
// After taking a lock the holder finishes a change that a previous holder
// left half done (see shared_change.h).

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

namespace kpv {

struct LockTiming {
    int refreshMs = 5000;  // the holder rewrites its lock file this often
    int staleMs = 60000;   // a lock not refreshed for this long is taken over
    int waitMs = 15000;    // how long a change waits for a lock another client holds
    // The bounds of this process: the defaults, or the environment variables
    // KPV_LOCK_REFRESH_MS, KPV_LOCK_STALE_MS and KPV_LOCK_WAIT_MS. Tests set
    // them directly.
    static LockTiming &process();
};

// Who holds a lock, as its lock file says.
struct LockHolder {
    QString pc;             // empty when the file is empty or unreadable
    qint64 pid = 0;
    qint64 start = 0;
    QByteArray token;
    QDateTime refreshed;    // UTC; invalid when unknown
    QByteArray content;     // the bytes read
    qint64 unchangedMs = 0; // how long this process has seen these same bytes

    bool known() const { return !pc.isEmpty() && pid > 0; }
    // Milliseconds since the holder's last refresh by its own clock against
    // this PC's; -1 when the file does not say.
    qint64 ageMs() const;
    // The holder is a process of this PC that has ended.
    bool provenGone() const;
    // Not refreshed for the stale bound (see above).
    bool stale(const LockTiming &timing) const;
    // The holder's own time says it has not refreshed for the bound (for a
    // question to the user, who decides; and for the repair tool).
    bool looksAbandoned(const LockTiming &timing) const;
};

class FileLock {
public:
    enum class State { Unlocked, Locked, Busy, ReadOnly, Failed };

    FileLock();
    // Takes the lock of the file at path at once (see acquire).
    explicit FileLock(const QString &path, int waitMs = -1);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Takes the lock of the file at path, waiting up to waitMs (-1: the
    // process's wait) while another live client holds it. Locked, or Busy
    // (holder() names the other client), ReadOnly (the folder cannot be
    // written here), Failed (no such folder, or another error).
    State acquire(const QString &path, int waitMs = -1);
    // Same, for an object that already knows its path.
    bool tryLock(int waitMs = -1) { return acquire(m_path, waitMs) == State::Locked; }

    State state() const { return m_state; }
    bool locked() const { return m_state == State::Locked; }
    bool isLocked() const { return locked(); }
    // Busy: the holder as last read.
    const LockHolder &holder() const { return m_holder; }

    // Busy: takes over the lock the user agreed to break, but only while
    // the lock file still holds what holder() read (not refreshed since).
    State breakAndAcquire();

    // The lock file still names this holding (read from the file).
    bool stillHeld() const;
    void release();

    QString path() const { return m_path; }
    QString lockPath() const { return lockPathOf(m_path); }
    static QString lockPathOf(const QString &path) { return path + QStringLiteral(".lock"); }

    // The holder a lock file names (unchangedMs as this process saw it).
    static LockHolder readHolder(const QString &lockPath);
    // Removes a lock file left by a holder that is gone, if it still holds
    // what was read (the repair tool). True when removed.
    static bool removeAbandoned(const QString &lockPath, const LockHolder &seen);

private:
    struct Holding;
    State take(int waitMs, const LockHolder *toBreak);
    bool create();

    QString m_path;
    bool m_isTurnstile = false; // the queue of a lock (see take)
    State m_state = State::Unlocked;
    LockHolder m_holder;
    std::unique_ptr<Holding> m_holding;
};

} // namespace kpv
