#include "storage/files.h"

#include "storage/crash_point.h"
#include "storage/shared_io.h"

namespace kpv {

bool readWholeFile(const QString &path, QByteArray &out)
{
    return io::readFile(path, out) == io::ReadStatus::Read;
}

bool replaceFile(const QString &path, const QByteArray &bytes)
{
    return io::replaceWhole(path, bytes) == io::Outcome::Done;
}

bool copySharedFile(const QString &from, const QString &to)
{
    FileLock source(from);
    if (!source.locked()) return false;
    QByteArray bytes;
    if (io::readFile(from, bytes, true) != io::ReadStatus::Read) return false;
    FileLock target(to);
    if (!target.locked()) return false;
    crashPoint("copy.read");
    if (io::replaceWhole(to, bytes) != io::Outcome::Done) return false;
    crashPoint("copy.done");
    return true;
}

} // namespace kpv
