#include "storage/files.h"

#include <QFile>
#include <QSaveFile>

namespace kpv {

bool readWholeFile(const QString &path, QByteArray &out)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    out = f.readAll();
    return f.error() == QFileDevice::NoError;
}

bool replaceFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

FileLock::FileLock(const QString &path) : m_lock(path + QStringLiteral(".lock"))
{
    m_lock.setStaleLockTime(30000);
    if (m_lock.tryLock(10000)) {
        m_state = State::Locked;
        return;
    }
    m_state = m_lock.error() == QLockFile::LockFailedError ? State::Busy : State::Failed;
}

} // namespace kpv
