#pragma once
// What the benchmarks share: a message sink that answers without a box, the
// writing of a generated ledger file, and the items of the spreadsheet
// benchmarks. Each benchmark generates the ledger its measurement needs; only
// the scaffolding is here.

#include "storage/dolvb.h"
#include "storage/ledger_record.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <vector>

namespace kpv::bench {

// Answers every question with `answer`, counts the messages, keeps the last.
struct QuietMessages : Messages {
    explicit QuietMessages(bool answer = false) : answer(answer) {}
    bool ask(const QString &, const QString &text) override
    {
        ++count;
        last = text;
        return answer;
    }
    void tell(const QString &title, const QString &text) override
    {
        ++count;
        last = title + QLatin1Char(':') + text;
    }
    bool answer;
    int count = 0;
    QString last;
};

// A ledger file of `count` records, record i (1-based) made by fill; every
// line end set.
inline bool writeGeneratedLedger(const QString &path, int count, const std::function<void(int i, LedgerRecord &)> &fill)
{
    QByteArray all;
    all.reserve(qsizetype(count) * LedgerRecord::kSize);
    for (int i = 1; i <= count; ++i) {
        LedgerRecord r;
        fill(i, r);
        r.setLineEnd();
        all.append(r.data(), LedgerRecord::kSize);
    }
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(all) == all.size();
}

// The items of the spreadsheet benchmarks: bearings numbered "000001" on,
// twelve months of receipts and issues, some out of stock and some below
// their proper stock.
inline std::vector<LedgerRecord> bearingItems(int n)
{
    std::vector<LedgerRecord> out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        LedgerRecord &r = out[size_t(i)];
        r.setField(0, QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0')));
        r.setField(1, QStringLiteral("ベアリング　品%1").arg(i));
        r.setField(2, QStringLiteral("内径25×外径52×幅15"));
        r.setField(3, QStringLiteral("日本精工"));
        r.setField(4, QStringLiteral("第2倉庫 棚B-%1").arg(i % 40));
        r.setField(5, QString::number(1200 + i % 500));
        r.setField(6, QString::number((1200 + i % 500) * (i % 30)));
        r.setField(7, QStringLiteral("個"));
        r.setField(8, QString::number(i % 17));
        r.setField(9, QStringLiteral("5"));
        r.setField(10, QString::number(i % 30));
        for (int m = 1; m <= 12; ++m) {
            r.setCell(1, m, QString::number((i + m) % 9));
            r.setCell(2, m, QString::number((i + 2 * m) % 7));
        }
        r.setCell(1, 13, QStringLiteral("48"));
        r.setCell(2, 13, QStringLiteral("36"));
        r.setCell(1, 14, QStringLiteral("60"));
        r.setCell(2, 14, QStringLiteral("40"));
        r.setCell(1, 15, QStringLiteral("800"));
        r.setLineEnd();
    }
    return out;
}

} // namespace kpv::bench
