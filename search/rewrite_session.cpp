#include "search/rewrite_session.h"

#include "search/ledger_reader.h"
#include "storage/codepage.h"
#include "storage/dolvb.h"
#include "storage/ledger_file.h"

#include <QFile>

#include <charconv>
#include <cstring>
#include <memory>

namespace kpv::search {

void fillSortRows(IndexTable &table, const char *ledger, int count, const std::vector<int> *order)
{
    table.startRefill(count, size_t(count) * 64);
    for (int i = 1; i <= count; ++i) {
        const int n = order ? (*order)[size_t(i - 1)] : i;
        fillSortRow(table, i, ledger + qsizetype(n - 1) * LedgerRecord::kSize);
    }
}

void fillSortRow(IndexTable &table, int row, const char *rec)
{
    for (int f = 0; f < 4; ++f) {
        char *dest = table.beginCell(LedgerRecord::kFieldWidth);
        int begin = 0;
        const int length = cp932::copyField(rec + LedgerRecord::fieldOffset(f), LedgerRecord::kFieldWidth, dest, begin);
        table.commitCell(row, f + 1, size_t(begin), size_t(length));
    }
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, row).ptr;
    table.setBytes(row, 5, digits, size_t(end - digits));
}

RewriteSession::RewriteSession(Dolvb &d) : m_d(d) {}

// A panel still open when the screen goes away: its temporary ledger and
// lock are given back (the index is rebuilt by the next opening).
RewriteSession::~RewriteSession()
{
    if (m_open) end();
}

QString RewriteSession::cell(int listRow, int column) const
{
    const int row = indexRow(listRow);
    return row > 0 ? m_d.indexTable.value(row, column) : QString();
}

namespace {
QString holderName(const LockHolder &h)
{
    return h.pc.isEmpty() ? QStringLiteral("不明") : h.pc;
}

// "12分前から", "40秒前から": how long ago the holder last refreshed its lock.
QString sinceText(qint64 ms)
{
    if (ms >= 3600000) return QStringLiteral("%1時間%2分前から").arg(ms / 3600000).arg(ms / 60000 % 60);
    if (ms >= 60000) return QStringLiteral("%1分前から").arg(ms / 60000);
    return QStringLiteral("%1秒前から").arg(ms / 1000);
}
} // namespace

bool RewriteSession::takeSessionLock()
{
    const QString title = QStringLiteral("登録確認");
    const QString lockFolder = m_d.tempLedgerPath();
    FileLock::State state = m_lock.acquire(lockFolder, 0);
    if (state == FileLock::State::Busy && m_lock.holder().looksAbandoned(LockTiming::process())) {
        // A PC that crashed with its panel open left its lock: the user may
        // break it, told which PC and since when.
        const LockHolder &h = m_lock.holder();
        const qint64 age = h.known() ? h.ageMs() : -1;
        const QString first = age >= 0 ? QStringLiteral("他のPC（%1）の在庫品Sort・削除の使用中表示が%2更新されていません。").arg(holderName(h), sinceText(age))
                                       : QStringLiteral("他のPC（%1）の在庫品Sort・削除の使用中表示が読み取れません。").arg(holderName(h));
        if (m_d.messages().ask(title, first + QLatin1Char('\r') + QStringLiteral("　そのPCが停止していれば解除できます。") + QLatin1Char('\r')
                                          + QStringLiteral("　解除してSort・削除を実行しますか？")))
            state = m_lock.breakAndAcquire();
        else
            return false;
    }
    switch (state) {
    case FileLock::State::Locked:
        return true;
    case FileLock::State::Busy:
        m_d.messages().tell(title, QStringLiteral("他のPC（%1）で在庫品のSort・削除が実行中です。").arg(holderName(m_lock.holder()))
                                       + QLatin1Char('\r') + QStringLiteral("　終了してから実行してください。"));
        return false;
    case FileLock::State::ReadOnly:
        m_d.messages().tell(title, m_d.dataFolder + QLatin1Char('\r') + QStringLiteral("　データフォルダーは読み取り専用です。")
                                       + QLatin1Char('\r') + QStringLiteral("　ここでは在庫品のSort・削除はできません。"));
        return false;
    default:
        break;
    }
    m_d.messages().tell(title, m_d.dataFolder + QLatin1Char('\r') + QStringLiteral("　データフォルダーに書き込めません。")
                                   + QLatin1Char('\r') + QStringLiteral("　在庫品のSort・削除はできません。"));
    return false;
}

bool RewriteSession::lockAndRead(LargeBuffer &ledger)
{
    if (!m_lock.locked() && !takeSessionLock()) return false;
    m_open = true;
    // Counted as every reader counts it (the capacity notice included).
    m_d.openLedger();
    m_d.closeLedger();
    StampBuilder stamp;
    LedgerReader::readAll(m_d.ledgerPath(), ledger, [&](const char *p, size_t n) { stamp.add(p, n); });
    m_readStamp = stamp.finish();
    return true;
}

bool RewriteSession::ledgerStillAsRead(const LargeBuffer &ledger) const
{
    QFile f(m_d.ledgerPath());
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || f.size() != qint64(ledger.size())) return false;
    constexpr qint64 kPiece = qint64(1) << 20;
    std::unique_ptr<char[]> piece(new char[size_t(kPiece)]);
    size_t at = 0;
    for (;;) {
        const qint64 r = f.read(piece.get(), kPiece);
        if (r < 0) return false;
        if (r == 0) break;
        if (at + size_t(r) > ledger.size() || std::memcmp(piece.get(), ledger.data() + at, size_t(r)) != 0) return false;
        at += size_t(r);
    }
    return at == ledger.size();
}

void RewriteSession::takeStamp(const LargeBuffer &ledger)
{
    // Made while the bytes were read (the same as LedgerStamp::of them).
    m_stamp = m_readStamp;
    m_records = std::min(LedgerFile::countRecords(qint64(ledger.size())), m_d.ledgerCapacity - 1);
}

bool RewriteSession::replaceLedger(const std::vector<int> &order, const QString &again, changes::Op op)
{
    BusyGuard busy(m_d.pointer());
    const QString title = QStringLiteral("登録確認");
    // A ledger this client may only read is not replaced either (renaming
    // over a read-only file would succeed where writing it would not).
    m_d.openLedger();
    m_d.closeLedger();
    if (m_d.ledgerReadOnly()) {
        m_d.messages().tell(title, m_d.ledgerPath() + QLatin1Char('\r') + QStringLiteral("　台帳ファイルは読み取り専用です。") + QLatin1Char('\r')
                                       + QStringLiteral("　登録はできません。"));
        return false;
    }
    RewritePlan plan{m_d.ledgerPath(), m_stamp, m_records, order, beforeRename, op};
    QString problem;
    switch (rewriteLedger(plan, &problem)) {
    case RewriteResult::Replaced:
        m_d.rebuildIndex();
        m_d.saveIndexCache();
        end();
        return true;
    case RewriteResult::Changed:
        m_d.messages().tell(title, QStringLiteral("台帳が他のクライアントで変更されています。") + QLatin1Char('\r') + again);
        return false;
    case RewriteResult::Busy:
        m_d.messages().tell(title, QStringLiteral("台帳ファイルを他のクライアントが使用中です。") + QLatin1Char('\r')
                                       + QStringLiteral("　しばらくしてから登録してください。"));
        return false;
    case RewriteResult::InUse:
        // Nothing was changed: the new ledger beside it is removed again.
        m_d.messages().tell(title, m_d.ledgerPath() + QLatin1Char('\r') + QStringLiteral("　台帳ファイルが他のPCで使用中のため置き換えられません。")
                                       + QLatin1Char('\r') + QStringLiteral("　台帳は変更していません。しばらくしてから登録してください。"));
        return false;
    case RewriteResult::JournalFailed:
        m_d.messages().tell(title, changes::failureText(problem));
        return false;
    case RewriteResult::Failed:
        break;
    }
    m_d.messages().tell(title, m_d.ledgerPath() + QLatin1Char('\r') + QStringLiteral("　台帳ファイルに書き込めません。"));
    return false;
}

void RewriteSession::close()
{
    if (!m_open) return;
    // The index held the panel's list: back to the ledger.
    m_d.rebuildIndex();
    end();
}

void RewriteSession::end()
{
    letGoOfLedger();
    if (m_lock.locked()) m_d.deleteTempLedger();
    m_lock.release();
    m_ledger.release();
    m_open = false;
    m_records = 0;
    m_stamp = {};
}

} // namespace kpv::search
