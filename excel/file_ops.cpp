#include "excel/file_ops.h"

#include "excel/failure.h"
#include "excel/process_proof.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kpv::excel {

namespace {

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(path.toStdU16String());
}

} // namespace

BookBackup::BookBackup(QString path) : m_path(std::move(path))
{
    if (!QFileInfo::exists(m_path)) return;
    const QFileInfo info(m_path);
    m_copy = info.absolutePath() + QStringLiteral("/.~kpv-backup.") + info.fileName();
    std::error_code ec;
    std::filesystem::copy_file(fsPath(m_path), fsPath(m_copy), std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        std::filesystem::remove(fsPath(m_copy), ec);
        m_ok = false;
        m_done = true;
    }
}

BookBackup::~BookBackup()
{
    discard();
}

void BookBackup::restore()
{
    if (m_done) return;
    m_done = true;
    std::error_code ec;
    if (m_copy.isEmpty()) {
        std::filesystem::remove(fsPath(m_path), ec); // whatever was begun of a new book
        return;
    }
    std::filesystem::rename(fsPath(m_copy), fsPath(m_path), ec);
}

void BookBackup::discard()
{
    if (m_done) return;
    m_done = true;
    std::error_code ec;
    if (!m_copy.isEmpty()) std::filesystem::remove(fsPath(m_copy), ec);
}

Status CopyTemplateFile(const QString &templatePath, const QString &target)
{
    const QFileInfo source(templatePath);
    if (!source.exists()) {
        if (!source.absoluteDir().exists())
            return Status::fail(FailureKind::FolderMissing, QStringLiteral("template folder missing: ") + templatePath);
        return Status::fail(FailureKind::TemplateMissing, QStringLiteral("template missing: ") + templatePath);
    }
    const QFileInfo out(target);
    if (!out.absoluteDir().exists())
        return Status::fail(FailureKind::FolderMissing, QStringLiteral("output folder missing: ") + target);
    if (out.exists()) {
        if (Status s = CheckWritable(target); !s) return s;
    }
    std::error_code ec;
    std::filesystem::copy_file(fsPath(templatePath), fsPath(target),
                               std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        FailureKind kind = FailureKindFromErrno(ec.value());
        if (kind == FailureKind::FolderMissing && QFileInfo(templatePath).exists() == false)
            kind = FailureKind::TemplateMissing;
        return Status::fail(kind, QStringLiteral("copy failed: ") + QString::fromStdString(ec.message()));
    }
    // A copy of a read-only template must still be writable for the user.
    QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner | QFile::ReadOwner);
    return {};
}

Status CheckWritable(const QString &path)
{
    // A file marked read-only counts as not writable even for a user who
    // could override the mark (an administrator): the user asked for it.
    const QFileInfo info(path);
    if (info.exists() && !(info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)))
        return Status::fail(FailureKind::InUse, QStringLiteral("read-only: ") + path);
#ifdef _WIN32
    if (_waccess(reinterpret_cast<const wchar_t *>(path.utf16()), 2) != 0)
#else
    if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
#endif
    {
        const int error = errno;
        if (error == ENOENT) return {};
        FailureKind kind = FailureKindFromErrno(error);
        return Status::fail(kind == FailureKind::Other ? FailureKind::InUse : kind,
                            QStringLiteral("not writable: ") + path);
    }
    return {};
}

QString HostName()
{
#ifdef _WIN32
    return qEnvironmentVariable("COMPUTERNAME");
#else
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return QString::fromLocal8Bit(name);
#endif
}

namespace {

QString lockFileOf(const QString &path)
{
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + QLatin1Char('#');
}

} // namespace

LockHolder LockHolderOf(const QString &path, const QString &ownProfileUrl, const QStringList &deadProfiles)
{
    QFile lock(lockFileOf(path));
    if (!lock.exists()) return LockHolder::None;
    if (!lock.open(QIODevice::ReadOnly)) return LockHolder::Other;
    // "office user,system user,host,date time,profile url;"
    const QString content = QString::fromUtf8(lock.readAll()).trimmed();
    const QStringList parts = content.split(QLatin1Char(','));
    if (parts.size() < 5) return LockHolder::Other;
    QString profile = parts.mid(4).join(QLatin1Char(','));
    if (profile.endsWith(QLatin1Char(';'))) profile.chop(1);
    if (!ownProfileUrl.isEmpty() && profile == ownProfileUrl) return LockHolder::Own;
    if (parts.at(2) != HostName()) return LockHolder::Other;
    if (deadProfiles.contains(profile)) return LockHolder::StaleOurs;
    if (profile.contains(QStringLiteral("/kpv-soffice-"))
        && (!QFileInfo::exists(QUrl(profile).toLocalFile()) || !proc::anyProcessNames(proc::profileMark(profile))))
        return LockHolder::StaleOurs; // left behind by a crashed run of this program
    return LockHolder::Other;
}

bool RemoveStaleLock(const QString &path, const QString &ownProfileUrl, const QStringList &deadProfiles)
{
    if (LockHolderOf(path, ownProfileUrl, deadProfiles) != LockHolder::StaleOurs) return true;
    return QFile::remove(lockFileOf(path));
}

} // namespace kpv::excel
