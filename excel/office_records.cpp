#include "excel/office_records.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace kpv::excel::records {

namespace {

constexpr const char *kRecordFile = "/kpv-office.txt";
constexpr const char *kOfficePrefix = "kpv-soffice-";

bool statOf(const QString &path, struct stat &st)
{
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// The folder made private when it is ours (created with mode 700 when missing).
bool makePrivate(const QString &path)
{
    if (!QFileInfo::exists(path) && !QDir().mkpath(path)) return false;
    struct stat st {};
    if (!statOf(path, st) || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
    if ((st.st_mode & 077) != 0 && ::chmod(QFile::encodeName(path).constData(), 0700) != 0) return false;
    return privateFolder(path);
}

} // namespace

bool privateFolder(const QString &path)
{
    struct stat st {};
    return statOf(path, st) && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

bool ownedAndClosed(const QString &path, bool folder)
{
    struct stat st {};
    if (!statOf(path, st)) return false;
    if (folder ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode)) return false;
    return st.st_uid == ::geteuid() && (st.st_mode & 022) == 0;
}

QString defaultOfficesFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && privateFolder(runtime)) {
        const QString folder = runtime + QStringLiteral("/kpv-offices");
        if (makePrivate(folder)) return folder;
    }
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || !QDir::isAbsolutePath(cache)) cache = QDir::homePath() + QStringLiteral("/.cache");
    const QString kpv = cache + QStringLiteral("/kpv");
    const QString folder = kpv + QStringLiteral("/offices");
    if (!QFileInfo::exists(kpv)) QDir().mkpath(kpv);
    if (makePrivate(folder)) return folder;
    return {};
}

QString tempFolderOf(const QString &officeFolder)
{
    return officeFolder + QStringLiteral("/tmp");
}

QString profileFolderOf(const QString &officeFolder)
{
    return officeFolder + QStringLiteral("/profile");
}

QString newOfficeFolder(const QString &base)
{
    if (base.isEmpty()) return {};
    QByteArray pattern = QFile::encodeName(base + QLatin1Char('/') + QLatin1String(kOfficePrefix) + QStringLiteral("XXXXXX"));
    if (!::mkdtemp(pattern.data())) return {}; // mode 700
    const QString folder = QFile::decodeName(pattern);
    if (::mkdir(QFile::encodeName(tempFolderOf(folder)).constData(), 0700) != 0) {
        QDir(folder).removeRecursively();
        return {};
    }
    return folder;
}

QStringList officeFoldersIn(const QString &base)
{
    QStringList out;
    const QFileInfoList dirs = QDir(base).entryInfoList({QLatin1String(kOfficePrefix) + QLatin1Char('*')},
                                                        QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &d : dirs) out << d.absoluteFilePath();
    return out;
}

bool writeRecord(const QString &officeFolder, const OfficeRecord &r)
{
    QSaveFile f(officeFolder + QLatin1String(kRecordFile));
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    f.write(QStringLiteral("program=%1\noffice=%2\npipe=%3\nprofile=%4\nheadless=%5\nuser=%6\n")
                .arg(r.program)
                .arg(r.office)
                .arg(r.pipe, r.profile)
                .arg(r.headless ? 1 : 0)
                .arg(r.user ? 1 : 0)
                .toUtf8());
    return f.commit();
}

std::optional<OfficeRecord> readRecord(const QString &base, const QString &officeFolder)
{
    const QString file = officeFolder + QLatin1String(kRecordFile);
    if (!privateFolder(base) || !ownedAndClosed(officeFolder, true) || !ownedAndClosed(file, false)) return std::nullopt;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    OfficeRecord r;
    for (const QByteArray &line : f.read(64 * 1024).split('\n')) {
        const int eq = line.indexOf('=');
        if (eq < 0) continue;
        const QByteArray key = line.left(eq);
        const QString value = QString::fromUtf8(line.mid(eq + 1)).trimmed();
        if (key == "program") r.program = value.toLongLong();
        else if (key == "office") r.office = value.toLongLong();
        else if (key == "pipe") r.pipe = value;
        else if (key == "profile") r.profile = value;
        else if (key == "headless") r.headless = value != QLatin1String("0");
        else if (key == "user") r.user = value == QLatin1String("1");
    }
    return r;
}

} // namespace kpv::excel::records
