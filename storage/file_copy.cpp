#include "storage/file_copy.h"

#include "storage/change_journal.h"
#include "storage/crash_point.h"
#include "storage/dolvb.h"
#include "storage/file_lock.h"
#include "storage/file_names.h"
#include "storage/settings_slots.h"
#include "storage/shared_io.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

namespace kpv {

namespace {
CopyResult copyUnderLocks(const QString &from, const QString &dest, const std::function<CopyResult(const QByteArray &)> &put)
{
    FileLock source(from);
    if (source.state() == FileLock::State::Busy) return CopyResult::Busy;
    if (!source.locked() && source.state() != FileLock::State::ReadOnly) return CopyResult::Failed;
    QByteArray bytes;
    if (io::readFile(from, bytes, true) != io::ReadStatus::Read) return CopyResult::Failed;
    FileLock target(dest);
    if (target.state() == FileLock::State::Busy) return CopyResult::Busy;
    if (!target.locked()) return CopyResult::Failed;
    crashPoint("copy.read");
    const CopyResult result = put(bytes);
    if (result != CopyResult::Copied) return result;
    crashPoint("copy.done");
    return CopyResult::Copied;
}
} // namespace

CopyResult copySharedFile(const QString &from, const QString &dest)
{
    return copyUnderLocks(from, dest, [&](const QByteArray &bytes) {
        return io::replaceWhole(dest, bytes) == io::Outcome::Done ? CopyResult::Copied : CopyResult::Failed;
    });
}

CopyResult copyLedgerInto(const QString &from, const QString &dest, QString *problem)
{
    return copyUnderLocks(from, dest, [&](const QByteArray &bytes) {
        QByteArray before;
        if (io::readFile(dest, before, false) == io::ReadStatus::Failed) return CopyResult::Failed;
        changes::Entry entry(dest, changes::Op::Transfer);
        if (entry.beginWhole(before, bytes) != changes::Entry::Status::Written) {
            if (problem) *problem = entry.problem();
            return CopyResult::JournalFailed;
        }
        if (io::replaceWhole(dest, bytes) != io::Outcome::Done) {
            entry.abandon();
            return CopyResult::Failed;
        }
        entry.complete();
        return CopyResult::Copied;
    });
}

bool backupLedger(const Dolvb &d)
{
    if (!d.clientSettings.isOn(slot::client::kLedgerBackup)) return false;
    const QString target = d.clientFolder + names::templatesFolder() + QLatin1Char('/') + names::ledger();
    return copySharedFile(d.ledgerPath(), target) == CopyResult::Copied;
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
