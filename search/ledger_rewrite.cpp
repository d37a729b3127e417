#include "search/ledger_rewrite.h"

#include "search/ledger_reader.h"
#include "storage/ledger_record.h"

#include <QFile>
#include <QHashFunctions>
#include <QLockFile>

#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kpv::search {

namespace {
constexpr qsizetype kSize = LedgerRecord::kSize;

std::filesystem::path fsPath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

bool writeDurably(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        f.close();
        QFile::remove(path);
        return false;
    }
#ifdef Q_OS_WIN
    const bool synced = _commit(f.handle()) == 0;
#else
    const bool synced = ::fsync(f.handle()) == 0;
#endif
    f.close();
    if (!synced) QFile::remove(path);
    return synced;
}
} // namespace

LedgerStamp LedgerStamp::of(const QByteArray &bytes)
{
    return LedgerStamp{bytes.size(), qHashBits(bytes.constData(), size_t(bytes.size()), 0x6b7076)};
}

QByteArray assembleLedger(const QByteArray &ledger, int records, const std::vector<int> &order)
{
    QByteArray out;
    const qsizetype tail = std::max<qsizetype>(0, ledger.size() - qsizetype(records) * kSize);
    out.reserve(qsizetype(order.size()) * kSize + tail);
    for (int n : order) {
        if (n < 1 || n > records) continue;
        const qsizetype at = qsizetype(n - 1) * kSize;
        const qsizetype have = std::clamp<qsizetype>(ledger.size() - at, 0, kSize);
        const qsizetype start = out.size();
        out.append(ledger.constData() + at, have);
        if (have < kSize) out.append(kSize - have, '\0');  // a record counted but not (wholly) in the file
        out[start + LedgerRecord::kLineEndOffset] = '\r';
        out[start + LedgerRecord::kLineEndOffset + 1] = '\n';
    }
    if (tail > 0) out.append(ledger.constData() + qsizetype(records) * kSize, tail);
    return out;
}

bool renameOver(const QString &from, const QString &to)
{
    std::error_code ec;
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    return !ec;
}

RewriteResult rewriteLedger(const RewritePlan &plan)
{
    // The same lock file and waiting time as every client's append.
    QLockFile lock(plan.ledgerPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(30000);
    if (!lock.tryLock(10000)) return RewriteResult::Busy;

    QByteArray current;
    if (!LedgerReader::readAll(plan.ledgerPath, current)) return RewriteResult::Failed;
    if (!(LedgerStamp::of(current) == plan.expected)) return RewriteResult::Changed;

    const QByteArray next = assembleLedger(current, plan.records, plan.order);
    if (!writeDurably(plan.besidePath, next)) return RewriteResult::Failed;
    if (plan.beforeRename && !plan.beforeRename()) return RewriteResult::Failed;
    if (!renameOver(plan.besidePath, plan.ledgerPath)) {
        QFile::remove(plan.besidePath);
        return RewriteResult::Failed;
    }
    return RewriteResult::Replaced;
}

} // namespace kpv::search
