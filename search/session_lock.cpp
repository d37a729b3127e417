#include "search/session_lock.h"

#include <QFile>

namespace kpv::search {

namespace {
QString ownerPath(const QString &path) { return path + QStringLiteral(".owner"); }
} // namespace

SessionLock::SessionLock(QString path) : m_path(std::move(path)) {}

SessionLock::~SessionLock() { release(); }

bool SessionLock::acquire(const QString &machineName)
{
    if (held()) return true;
    m_holder.clear();
    m_lock = std::make_unique<QLockFile>(m_path + QStringLiteral(".lock"));
    // Held for a whole session, so never stale by age; only a dead process
    // of this PC leaves a lock that may be taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        QFile owner(ownerPath(m_path));
        if (owner.open(QIODevice::WriteOnly | QIODevice::Truncate)) owner.write(machineName.toUtf8());
        return true;
    }
    QFile owner(ownerPath(m_path));
    if (owner.open(QIODevice::ReadOnly)) m_holder = QString::fromUtf8(owner.readAll()).trimmed();
    if (m_holder.isEmpty()) {
        qint64 pid = 0;
        QString app;
        m_lock->getLockInfo(&pid, &m_holder, &app);
    }
    m_lock.reset();
    return false;
}

void SessionLock::release()
{
    if (!held()) {
        m_lock.reset();
        return;
    }
    QFile::remove(ownerPath(m_path));
    m_lock->unlock();
    m_lock.reset();
}

} // namespace kpv::search
