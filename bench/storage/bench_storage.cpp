// Ledger speed on a full ledger (50,009 records) generated in a temporary
// folder: the index rebuild, a full read with every text decoded, the
// item-number look-up of the last item, and the raw read of the same file
// as the floor the others are measured against.
#include "bench/bench_support.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kRecords = 50009;

// The generated data folder, made once for the whole run.
struct Data {
    QTemporaryDir dir;
    QString folder;
    QString lastItem;
    Data()
    {
        folder = dir.path() + QLatin1Char('/');
        const QString names[] = {QStringLiteral("六角ボルト"), QStringLiteral("ベアリング"), QStringLiteral("電磁弁"), QStringLiteral("ﾎﾞﾙﾄ"), QStringLiteral("Oリング")};
        const QString makers[] = {QStringLiteral("ＡＢＣ製作所"), QStringLiteral("東洋精機"), QStringLiteral("ACME")};
        kpv::bench::writeGeneratedLedger(folder + kpv::names::ledger(), kRecords, [&](int i, kpv::LedgerRecord &r) {
            const QString item = QStringLiteral("A-%1").arg(i, 6, 10, QLatin1Char('0'));
            r.setField(0, item);
            r.setField(1, names[i % 5]);
            r.setField(2, QStringLiteral("M%1×%2").arg(i % 30).arg(i % 90));
            r.setField(3, makers[i % 3]);
            r.setField(4, QStringLiteral("倉庫A-%1").arg(i % 9));
            r.setField(5, QString::number(i % 500));
            r.setField(6, QString::number((i % 500) * (i % 40)));
            r.setField(7, QStringLiteral("個"));
            r.setField(8, QString::number(i % 40));
            r.setField(9, QStringLiteral("5"));
            r.setField(10, QString::number(i % 40));
            for (int m = 1; m <= 12; m += 3) r.setCell(1, m, QString::number(m));
            lastItem = item;
        });
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

// The floor: every byte of the file read from the page cache the way the
// program reads it (unbuffered file, large reads into one reused buffer), and
// nothing done with the bytes.
void BM_RawRead(benchmark::State &state)
{
    const QString path = data().folder + kpv::names::ledger();
    const qint64 size = qint64(kRecords) * kpv::LedgerRecord::kSize;
    QByteArray buffer(2048 * kpv::LedgerRecord::kSize, '\0');
    for (auto _ : state) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            state.SkipWithError("ledger not readable");
            break;
        }
        qint64 total = 0, got;
        while ((got = f.read(buffer.data(), buffer.size())) > 0) total += got;
        if (total != size) {
            state.SkipWithError("ledger not read whole");
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * qint64(kRecords) * kpv::LedgerRecord::kSize);
}

void BM_RebuildIndex(benchmark::State &state)
{
    Db d;
    for (auto _ : state) {
        d.db.rebuildIndex();
        benchmark::DoNotOptimize(d.db.totalStockValue);
    }
    if (d.db.indexTable.value(kRecords, 1) != data().lastItem) state.SkipWithError("index not filled");
    state.SetBytesProcessed(state.iterations() * qint64(kRecords) * kpv::LedgerRecord::kSize);
}

void BM_ReadAllRecordsDecoded(benchmark::State &state)
{
    Db d;
    for (auto _ : state) {
        d.db.openLedger();
        qsizetype chars = 0;
        for (int n = 1; n <= d.db.recordCount; ++n) {
            d.db.readRecord(n);
            for (int f = 0; f < kpv::LedgerRecord::kFields; ++f) chars += d.db.recordBuffer.field(f).size();
            for (int m = 0; m < kpv::LedgerRecord::kCellSlots; ++m)
                for (int r = 0; r < kpv::LedgerRecord::kCellRows; ++r) chars += d.db.recordBuffer.cell(r, m).size();
        }
        d.db.closeLedger();
        benchmark::DoNotOptimize(chars);
    }
    state.SetBytesProcessed(state.iterations() * qint64(kRecords) * kpv::LedgerRecord::kSize);
}

void BM_FindItemNumberOfLastItem(benchmark::State &state)
{
    Db d;
    d.db.rebuildIndex();
    const QString key = data().lastItem;
    for (auto _ : state) {
        const bool found = d.db.findItemNumber(key);
        if (!found || d.db.foundRecordNo != kRecords) state.SkipWithError("last item not found");
        benchmark::DoNotOptimize(found);
    }
}

} // namespace

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllRecordsDecoded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindItemNumberOfLastItem)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
