#include "storage/stock_legend.h"

#include "storage/ledger_record.h"

#include <QFile>

namespace kpv::ledger {

namespace {
// True when the field holds something besides spaces before its first NUL.
bool hasText(const char *p, int width)
{
    for (int i = 0; i < width && p[i] != '\0'; ++i)
        if (p[i] != ' ') return true;
    return false;
}
} // namespace

StockLegend scanStockLegend(const QString &ledgerPath)
{
    StockLegend out;
    QFile f(ledgerPath);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return out;
    constexpr int kW = LedgerRecord::kFieldWidth;
    constexpr qint64 kBlock = 1024 * LedgerRecord::kSize;
    QByteArray block(kBlock, Qt::Uninitialized);
    for (;;) {
        const qint64 got = f.read(block.data(), kBlock);
        if (got <= 0) break;
        // A trailing partial record counts when it reaches its stock field.
        for (qint64 at = 0; at + LedgerRecord::fieldOffset(11) <= got; at += LedgerRecord::kSize) {
            const char *stock = block.constData() + at + LedgerRecord::fieldOffset(10);
            if (!hasText(stock, kW)) continue;
            const double s = fieldNumberOf(stock, kW);
            if (s == 0) out.zero = true;
            if (s < fieldNumberOf(block.constData() + at + LedgerRecord::fieldOffset(9), kW)) out.belowProper = true;
            if (out.zero && out.belowProper) return out;
        }
        if (got < kBlock) break;
    }
    return out;
}

} // namespace kpv::ledger
