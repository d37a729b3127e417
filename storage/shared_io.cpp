#include "storage/shared_io.h"

#include "storage/machine.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kpv::io {

namespace {
using Clock = std::chrono::steady_clock;

int envMs(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v >= 0 ? v : fallback;
}

// Refusals worth a retry: the server's late close (EIO), a file another PC
// holds open (EEXIST, EBUSY, EACCES, EPERM and ETXTBSY as servers say it),
// and a busy or interrupted call.
bool transient(int error)
{
    return error == EIO || error == EBUSY || error == EAGAIN || error == EINTR || error == EEXIST || error == EACCES
        || error == EPERM || error == ETXTBSY || error == ESTALE;
}

// Pauses between retries: short at first, then a quarter second.
void pause(int attempt)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(250, 10 << std::min(attempt, 5))));
}

// Whether this user may write the file (or create it in its folder).
bool mayWrite(const QString &path, int flags)
{
    const QByteArray p = localPath(path);
    if (::access(p.constData(), W_OK) == 0) return true;
    if (errno == ENOENT && (flags & O_CREAT)) return ::access(localPath(QFileInfo(path).absolutePath()).constData(), W_OK) == 0;
    return false;
}

bool before(Clock::time_point deadline)
{
    return Clock::now() < deadline;
}
} // namespace

Retry &retry()
{
    static Retry r{envMs("KPV_SHARE_OPEN_MS", 3000), envMs("KPV_SHARE_RENAME_MS", 10000), envMs("KPV_SHARE_MISSING_MS", 600)};
    return r;
}

QByteArray localPath(const QString &path)
{
    return QFile::encodeName(path);
}

qint64 freshSize(const QString &path)
{
    struct statx st {};
    if (::statx(AT_FDCWD, localPath(path).constData(), AT_STATX_FORCE_SYNC, STATX_SIZE, &st) != 0) return -1;
    return qint64(st.stx_size);
}

qint64 freshSize(int fd)
{
    struct statx st {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC, STATX_SIZE, &st) != 0) return -1;
    return qint64(st.stx_size);
}

ReadStatus readFile(const QString &path, QByteArray &out, bool lookAgain)
{
    const QByteArray p = localPath(path);
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(retry().missingMs, retry().openMs));
    const auto missingDeadline = Clock::now() + std::chrono::milliseconds(retry().missingMs);
    for (int attempt = 0;; ++attempt) {
        const int fd = ::open(p.constData(), O_RDONLY | O_CLOEXEC);
        // Read to the end the server knows, not the end this client heard of.
        if (fd >= 0) (void)freshSize(fd);
        if (fd < 0) {
            const int error = errno;
            if (error == ENOENT) {
                // Looked at again: a share may say "missing" for a moment.
                if (!lookAgain || !before(missingDeadline)) return ReadStatus::Missing;
            } else if (!transient(error) || !before(deadline)) {
                return ReadStatus::Failed;
            }
            pause(attempt);
            continue;
        }
        QByteArray bytes;
        char buf[65536];
        bool ok = true;
        for (;;) {
            const ssize_t r = ::read(fd, buf, sizeof buf);
            if (r < 0) {
                if (errno == EINTR) continue;
                ok = false;
                break;
            }
            if (r == 0) break;
            bytes.append(buf, qsizetype(r));
        }
        ::close(fd);
        if (ok) {
            out = std::move(bytes);
            return ReadStatus::Read;
        }
        if (!before(deadline)) return ReadStatus::Failed;
        pause(attempt);
    }
}

int openForWrite(const QString &path, int flags, mode_t mode)
{
    const QByteArray p = localPath(path);
    const auto deadline = Clock::now() + std::chrono::milliseconds(retry().openMs);
    for (int attempt = 0;; ++attempt) {
        const int fd = ::open(p.constData(), flags | O_CLOEXEC, mode);
        if (fd >= 0) return fd;
        const int error = errno;
        // An exclusive create that finds the file is an answer, not a refusal.
        const bool answer = error == EEXIST && (flags & O_EXCL);
        // A folder or file this user may not write is an answer too.
        const bool denied = (error == EACCES || error == EPERM) && !mayWrite(path, flags);
        if (answer || denied || error == ENOENT || error == EROFS || error == ENOSPC || error == EDQUOT || !transient(error)
            || !before(deadline)) {
            errno = error;
            return -1;
        }
        pause(attempt);
    }
}

bool writeAt(int fd, const char *data, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t w = ::pwrite(fd, data, size_t(size), off_t(offset));
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (w == 0) return false;
        data += w;
        size -= w;
        offset += w;
    }
    return true;
}

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t w = ::write(fd, data, size_t(size));
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (w == 0) return false;
        data += w;
        size -= w;
    }
    return true;
}

bool syncFile(int fd)
{
    if (::fsync(fd) == 0) return true;
    // A file system that cannot sync (some shares) has nothing to sync.
    return errno == EINVAL || errno == ENOTSUP || errno == ENOSYS;
}

bool syncFolderOf(const QString &path)
{
    const QByteArray folder = localPath(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP || errno == EBADF || errno == ENOSYS;
    ::close(fd);
    return ok;
}

Identity identityOf(const QString &path)
{
    Identity id;
    struct stat st {};
    if (::stat(localPath(path).constData(), &st) != 0) return id;
    id.exists = true;
    id.mode = st.st_mode & 07777;
    id.uid = st.st_uid;
    id.gid = st.st_gid;
    return id;
}

void applyIdentity(int fd, const Identity &identity)
{
    if (!identity.exists) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return;
    if (st.st_uid != identity.uid || st.st_gid != identity.gid) {
        // The owner can be given away only by a privileged process; the
        // group at least, where this user belongs to it.
        if (::fchown(fd, identity.uid, identity.gid) != 0) (void)::fchown(fd, uid_t(-1), identity.gid);
    }
    // After the owner: a change of owner may clear the set-id bits.
    if ((st.st_mode & 07777) != identity.mode) (void)::fchmod(fd, identity.mode);
}

namespace {
QString safePc(QString pc)
{
    for (QChar &c : pc)
        if (!(c.unicode() < 128 && c.isLetterOrNumber()) && c != u'-') c = u'_';
    return pc;
}
} // namespace

QString besideName(const QString &path, const char *kind)
{
    static std::atomic<int> counter{0};
    return path + QStringLiteral(".%1-%2-%3.%4").arg(safePc(machineName())).arg(processId()).arg(++counter).arg(QLatin1String(kind));
}

void removeBesideFilesOf(const QString &path, const QString &pc, qint64 pid)
{
    if (pc.isEmpty() || pid <= 0) return;
    const QFileInfo info(path);
    const QString prefix = info.fileName() + QStringLiteral(".%1-%2-").arg(safePc(pc)).arg(pid);
    const QDir dir(info.absolutePath());
    for (const QString &name : dir.entryList({prefix + QStringLiteral("*.new"), prefix + QStringLiteral("*.stale")}, QDir::Files | QDir::Dirs)) {
        const QString path = dir.filePath(name);
        // A lock moved aside is a folder with its text in it.
        ::unlink(localPath(path + QStringLiteral("/owner")).constData());
        if (::rmdir(localPath(path).constData()) != 0) ::unlink(localPath(path).constData());
    }
}

Outcome renameOver(const QString &from, const QString &to)
{
    const QByteArray f = localPath(from), t = localPath(to);
    const auto deadline = Clock::now() + std::chrono::milliseconds(retry().renameMs);
    for (int attempt = 0;; ++attempt) {
        if (::rename(f.constData(), t.constData()) == 0) return Outcome::Done;
        const int error = errno;
        if (!transient(error)) return Outcome::Failed;
        if (!before(deadline)) return Outcome::InUse;
        pause(attempt);
    }
}

bool writeNewFile(const QString &path, const Identity &identity, const std::function<bool(int fd)> &write)
{
    const int fd = openForWrite(path, O_WRONLY | O_CREAT | O_EXCL, identity.exists ? identity.mode : 0666);
    if (fd < 0) return false;
    applyIdentity(fd, identity);
    const bool ok = write(fd) && syncFile(fd);
    const bool closed = ::close(fd) == 0;
    if (ok && closed) return true;
    ::unlink(localPath(path).constData());
    return false;
}

Outcome replaceWhole(const QString &path, const std::function<bool(int fd)> &write)
{
    const QString beside = besideName(path, "new");
    if (!writeNewFile(beside, identityOf(path), write)) return Outcome::Failed;
    const Outcome o = renameOver(beside, path);
    if (o != Outcome::Done) {
        ::unlink(localPath(beside).constData());
        return o;
    }
    syncFolderOf(path);
    return Outcome::Done;
}

Outcome replaceWhole(const QString &path, const QByteArray &bytes)
{
    return replaceWhole(path, [&](int fd) { return writeAll(fd, bytes.constData(), bytes.size()); });
}

int makeFolder(const QString &path)
{
    const QByteArray p = localPath(path);
    const auto deadline = Clock::now() + std::chrono::milliseconds(retry().openMs);
    for (int attempt = 0;; ++attempt) {
        if (::mkdir(p.constData(), 0777) == 0) return 0;
        const int error = errno;
        // Two PCs making the folder at once: the server may answer one of
        // them with EIO; it is the answer "there" once the folder is there.
        if (error == EIO && exists(path)) return EEXIST;
        if (error == EEXIST || error == ENOENT || error == EROFS || error == ENOTDIR) return error;
        if ((error == EACCES || error == EPERM) && ::access(localPath(QFileInfo(path).absolutePath()).constData(), W_OK) != 0) return error;
        if (!transient(error) || !before(deadline)) return error;
        pause(attempt);
    }
}

namespace {
// A removal, retried while the server refuses it for a moment: another PC
// holding the file open (a sharing violation, EBUSY), the server's late
// close (EIO). A folder this user may not write is an answer.
bool removeRetried(const QString &path, int (*remove)(const char *))
{
    const QByteArray p = localPath(path);
    const auto deadline = Clock::now() + std::chrono::milliseconds(retry().openMs);
    for (int attempt = 0;; ++attempt) {
        if (remove(p.constData()) == 0) return true;
        const int error = errno;
        if (error == ENOENT) return true;
        const bool refused = error == EBUSY || error == EIO || error == EAGAIN || error == EINTR || error == ETXTBSY || error == ESTALE
            || ((error == EACCES || error == EPERM) && ::access(localPath(QFileInfo(path).absolutePath()).constData(), W_OK) == 0);
        if (!refused || !before(deadline)) {
            errno = error;
            return false;
        }
        pause(attempt);
    }
}
} // namespace

bool removeFolder(const QString &path)
{
    return removeRetried(path, ::rmdir);
}

bool isFile(const QString &path)
{
    struct stat st {};
    return ::stat(localPath(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool removeFile(const QString &path)
{
    return removeRetried(path, ::unlink);
}

bool exists(const QString &path)
{
    struct stat st {};
    return ::stat(localPath(path).constData(), &st) == 0;
}

} // namespace kpv::io
