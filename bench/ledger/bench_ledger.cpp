// Ledger screen speed on a full ledger (50,009 records) generated in a
// temporary folder: a page move (12 records read and formatted for the
// list), opening the screen with the index from its cache, and the menu's
// stock legend pass against the raw read of the same file.
#include "bench/bench_support.h"
#include "ledger/ledger_session.h"
#include "storage/stock_legend.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 50009;
const QDate kToday(2026, 1, 5);

// The generated data folder with its settings and index cache, made once.
struct Data {
    QTemporaryDir dir;
    QString folder;
    Data()
    {
        folder = dir.path() + QLatin1Char('/');
        const QString names[] = {QStringLiteral("六角ボルト"), QStringLiteral("ベアリング"), QStringLiteral("電磁弁"), QStringLiteral("ﾎﾞﾙﾄ")};
        kpv::bench::writeGeneratedLedger(folder + kpv::names::ledger(), kRecords, [&](int i, kpv::LedgerRecord &r) {
            r.setField(0, QStringLiteral("A-%1").arg(i, 6, 10, QLatin1Char('0')));
            r.setField(1, names[i % 4]);
            r.setField(2, QStringLiteral("M%1×%2").arg(i % 30).arg(i % 90));
            r.setField(3, QStringLiteral("東洋精機"));
            r.setField(4, QStringLiteral("倉庫A-%1").arg(i % 9));
            r.setField(5, QString::number(i % 500));
            r.setField(6, QString::number((i % 500) * (10 + i % 40)));
            r.setField(7, QStringLiteral("個"));
            r.setField(8, QString::number(10 + i % 40));
            r.setField(9, QStringLiteral("5"));
            r.setField(10, QString::number(10 + i % 40));
            for (int m = 1; m <= 12; m += 2) r.setCell(1, m, QString::number(m));
            r.setCell(1, 13, QStringLiteral("36"));
            r.setCell(1, 14, QStringLiteral("40"));
            r.setCell(1, 15, QStringLiteral("900"));
        });
        // Shared settings with a start month, and the index cache where the
        // opening reads it.
        kpv::bench::QuietMessages m;
        kpv::NoBusyPointer p;
        kpv::Dolvb d(m, p);
        d.clientFolder = d.dataFolder = folder;
        d.sharedSettings.set(9, QStringLiteral("2025/04"));
        d.sharedSettings.set(13, kToday.toString(QStringLiteral("yyyy/MM/dd")));
        d.saveSharedSettings();
        d.rebuildIndex();
        d.saveIndexCache();
        QFile::copy(folder + kpv::names::indexCacheWritten(), folder + kpv::names::indexCacheRead());
    }
};

Data &data()
{
    static Data d;
    return d;
}

struct Db {
    kpv::bench::QuietMessages messages;
    kpv::NoBusyPointer pointer;
    kpv::Dolvb db{messages, pointer};
    Db() { db.clientFolder = db.dataFolder = data().folder; }
};

void BM_PageMove(benchmark::State &state)
{
    Db d;
    kpv::ledger::LedgerSession s(d.db);
    s.open(kToday);
    for (auto _ : state) {
        s.nextPage();
        benchmark::DoNotOptimize(s.page().cell(1, 0));
    }
    if (s.page().itemCount() == 0 && s.paging().listPage() != 1) state.SkipWithError("empty page");
}

void BM_OpenWithCachedIndex(benchmark::State &state)
{
    Db d;
    for (auto _ : state) {
        kpv::ledger::LedgerSession s(d.db);
        s.open(kToday);
        benchmark::DoNotOptimize(s.totalText());
    }
    if (d.db.indexTable.value(kRecords, 1).isEmpty()) state.SkipWithError("index not filled");
}

void BM_RawRead(benchmark::State &state)
{
    const QString path = data().folder + kpv::names::ledger();
    QByteArray buffer(1024 * kpv::LedgerRecord::kSize, '\0');
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        qint64 total = 0, got;
        while ((got = f.read(buffer.data(), buffer.size())) > 0) total += got;
        if (total != qint64(kRecords) * kpv::LedgerRecord::kSize) state.SkipWithError("not read whole");
        benchmark::DoNotOptimize(buffer.data());
    }
}

void BM_StockLegendPass(benchmark::State &state)
{
    const QString path = data().folder + kpv::names::ledger();
    for (auto _ : state) {
        const kpv::ledger::StockLegend l = kpv::ledger::scanStockLegend(path);
        if (l.zero || l.belowProper) state.SkipWithError("nothing should be lit");
        benchmark::DoNotOptimize(l);
    }
}

} // namespace

BENCHMARK(BM_PageMove)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenWithCachedIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StockLegendPass)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
