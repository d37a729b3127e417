#include "storage/files.h"

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

} // namespace kpv
