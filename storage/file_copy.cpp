#include "storage/file_copy.h"

#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/settings_slots.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace kpv {

namespace {

std::filesystem::path fsPath(const QString &p)
{
    return std::filesystem::path(QFile::encodeName(p).toStdString());
}

} // namespace

bool copyFileReplacing(const QString &from, const QString &dest)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fsPath(from), ec)) return false;
    const QString part = dest + QStringLiteral(".kpvcopy");
    std::filesystem::copy_file(fsPath(from), fsPath(part), std::filesystem::copy_options::overwrite_existing, ec);
    if (!ec) std::filesystem::rename(fsPath(part), fsPath(dest), ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(fsPath(part), ignored);
        return false;
    }
    return true;
}

LedgerCopy copyLedger(const QString &ledgerPath, const QString &dest, bool lockDest)
{
    // A lock that cannot even be made (a folder nobody can write) keeps
    // nobody from the file: only a lock another client holds stops the copy.
    const FileLock source(ledgerPath);
    if (source.state() == FileLock::State::Busy) return LedgerCopy::Busy;
    if (lockDest) {
        const FileLock target(dest);
        if (target.state() == FileLock::State::Busy) return LedgerCopy::Busy;
        return copyFileReplacing(ledgerPath, dest) ? LedgerCopy::Copied : LedgerCopy::Failed;
    }
    return copyFileReplacing(ledgerPath, dest) ? LedgerCopy::Copied : LedgerCopy::Failed;
}

bool backupLedger(const Dolvb &d)
{
    if (!d.clientSettings.isOn(slot::client::kLedgerBackup)) return false;
    const QString target = d.clientFolder + names::templatesFolder() + QLatin1Char('/') + names::ledger();
    return copyLedger(d.ledgerPath(), target, false) == LedgerCopy::Copied;
}

int folderWriteError(const QString &folder)
{
    const QString probe = folder + QStringLiteral(".kpv-write-check-%1").arg(QCoreApplication::applicationPid());
    const QByteArray name = QFile::encodeName(probe);
    const int fd = ::open(name.constData(), O_CREAT | O_EXCL | O_WRONLY, 0600);
    if (fd < 0) return errno == 0 ? EIO : errno;
    ::close(fd);
    ::unlink(name.constData());
    return 0;
}

} // namespace kpv
