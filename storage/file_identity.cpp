#include "storage/file_identity.h"

#include <QtGlobal>

#if defined(Q_OS_LINUX)
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace kpv {

FileIdentity identityOf(int fd)
{
    FileIdentity id;
#if defined(Q_OS_LINUX)
    if (fd < 0) return id;
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &sx) != 0) return id;
    if (!(sx.stx_mask & STATX_INO)) return id;
    id.known = true;
    id.device = (quint64(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    id.inode = sx.stx_ino;
    if (sx.stx_mask & STATX_BTIME) {
        id.birthSeconds = sx.stx_btime.tv_sec;
        id.birthNanoseconds = sx.stx_btime.tv_nsec;
    }
#else
    Q_UNUSED(fd);
#endif
    return id;
}

} // namespace kpv
