#pragma once
// The lock that a sort or delete session holds on the temporary ledger for
// as long as its panel is open.
//
// The temporary ledger has one fixed name in the shared data folder, so two
// clients sorting or deleting at once would write into each other's copy.
// The session therefore takes a lock file beside it and keeps it until the
// panel closes; a second client is refused and told which PC holds it. The
// PC's name is kept in a second small file beside the lock. A lock left by a
// program of this PC that ended without closing its panel is taken over.

#include <QLockFile>
#include <QString>

#include <memory>

namespace kpv::search {

class SessionLock {
public:
    // path: the temporary ledger's path; the lock files sit beside it.
    explicit SessionLock(QString path);
    ~SessionLock();
    SessionLock(const SessionLock &) = delete;
    SessionLock &operator=(const SessionLock &) = delete;

    // True when this session now holds the lock (machineName is recorded for
    // other clients). False when another session holds it: holder() names
    // its PC.
    bool acquire(const QString &machineName);
    void release();
    bool held() const { return m_lock && m_lock->isLocked(); }
    QString holder() const { return m_holder; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    QString m_holder;
};

} // namespace kpv::search
