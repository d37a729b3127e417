// Writing a ledger-shaped table (12,000 items, two rows each, 29 columns of
// Japanese text and numbers) into a workbook, storing it as .xls and reading
// it back, against the floor: the office's own conversion of the same cells
// from CSV to .xls. One headless office serves all runs (started before the
// first run, ended at exit).

#include "excel/libreoffice.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <memory>

using namespace kpv::excel;

namespace {

constexpr int kItems = 12000;
constexpr int kColumns = 29; // B .. AD

struct BenchState {
    std::unique_ptr<LibreOffice> office;
    std::unique_ptr<QTemporaryDir> dir;
    Block table;
    QString csv;
};

BenchState *g_state = nullptr; // set up and torn down by main()

Block ledgerTable()
{
    Block b(2 * kItems, kColumns);
    for (int i = 0; i < kItems; ++i) {
        const int r = 2 * i;
        auto set = [&](int row, int col, CellValue v) { b.at(row, col - 2) = std::move(v); };
        set(r, 2, QStringLiteral("入庫"));
        set(r + 1, 2, QStringLiteral("出庫"));
        set(r, 3, QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0')));
        set(r, 4, QStringLiteral("ベアリング　品%1").arg(i));
        set(r, 5, QStringLiteral("内径25×外径52×幅15"));
        set(r, 6, QStringLiteral("日本精工"));
        set(r, 7, QStringLiteral("第2倉庫 棚B-%1").arg(i % 40));
        set(r, 8, CellValue::number(1200 + i % 500));
        set(r, 9, CellValue::number((1200 + i % 500) * (i % 30)));
        set(r, 10, QStringLiteral("個"));
        set(r, 11, CellValue::number(i % 17));
        set(r, 12, CellValue::number(5));
        set(r, 13, CellValue::number(i % 30));
        for (int m = 0; m < 12; ++m) {
            set(r, 16 + m, CellValue::number((i + m) % 9));
            set(r + 1, 16 + m, CellValue::number((i + 2 * m) % 7));
        }
        set(r, 14, CellValue::number(48));
        set(r + 1, 14, CellValue::number(36));
        set(r, 28, CellValue::number(60));
        set(r, 29, CellValue::number(800));
        set(r, 30, QStringLiteral("2025/04"));
    }
    return b;
}

QString csvOf(const Block &b)
{
    QString out;
    out.reserve(b.rows() * b.columns() * 8);
    for (int r = 0; r < b.rows(); ++r) {
        for (int c = 0; c < b.columns(); ++c) {
            if (c) out += QLatin1Char(',');
            const CellValue &v = b.at(r, c);
            if (v.isText())
                out += QLatin1Char('"') + v.text() + QLatin1Char('"');
            else
                out += v.text();
        }
        out += QLatin1Char('\n');
    }
    return out;
}

void BM_WriteStoreReadLedger(benchmark::State &state)
{
    BenchState &s = *g_state;
    const QString file = s.dir->path() + QStringLiteral("/在庫品台帳.xls");
    for (auto _ : state) {
        auto book = s.office->createNew();
        if (!book) {
            state.SkipWithError("no workbook");
            return;
        }
        Workbook &wb = *book.value();
        Status st = wb.setScreenUpdating(false);
        if (st) st = wb.firstSheet().writeBlock(1, 2, s.table);
        wb.setScreenUpdating(true);
        if (st) st = wb.storeAsXls(file);
        Result<Block> back = wb.firstSheet().readBlock(Range::of(1, 2, 2 * kItems, 1 + kColumns));
        wb.close();
        if (!st || !back || back->at(2 * kItems - 2, 28).text() != QStringLiteral("2025/04")) {
            state.SkipWithError("write or read failed");
            return;
        }
    }
    state.counters["cells"] = double(2 * kItems * kColumns);
}

// The parts on their own: range(0) = 0 write only, 1 write and store.
void BM_WriteLedgerParts(benchmark::State &state)
{
    BenchState &s = *g_state;
    const QString file = s.dir->path() + QStringLiteral("/parts.xls");
    for (auto _ : state) {
        auto book = s.office->createNew();
        if (!book) {
            state.SkipWithError("no workbook");
            return;
        }
        Workbook &wb = *book.value();
        Status st = wb.setScreenUpdating(false);
        if (st) st = wb.firstSheet().writeBlock(1, 2, s.table);
        wb.setScreenUpdating(true);
        if (st && state.range(0) == 1) st = wb.storeAsXls(file);
        wb.close();
        if (!st) state.SkipWithError("write failed");
    }
}

// The floor: the office loads the same cells from CSV and stores them as .xls.
void BM_FloorCsvToXls(benchmark::State &state)
{
    BenchState &s = *g_state;
    const QString file = s.dir->path() + QStringLiteral("/floor.xls");
    for (auto _ : state) {
        auto book = s.office->bind(s.csv);
        if (!book) {
            state.SkipWithError("csv not loaded");
            return;
        }
        // The CSV must have become the same table (last item's start of use in AC).
        auto last = book.value()->firstSheet().cell(2 * kItems - 1, kColumns);
        Status st = book.value()->storeAsXls(file);
        book.value()->close();
        if (!last || last->text() != QStringLiteral("2025/04")) state.SkipWithError("csv not read as a table");
        if (!st) state.SkipWithError("store failed");
    }
}

// The slowest single calls the system can make: a whole .xls sheet (65,536
// rows of 30 ledger-like columns) written in one block, stored, loaded and
// read in one block. Their times bound what the call deadline must allow.
void BM_LargestCalls(benchmark::State &state)
{
    BenchState &s = *g_state;
    const QString file = s.dir->path() + QStringLiteral("/最大.xls");
    Block full(kMaxRows, 30);
    for (int r = 0; r < full.rows(); ++r)
        for (int c = 0; c < full.columns(); ++c)
            full.at(r, c) = c % 3 == 0 ? CellValue::number(r * 7 + c) : CellValue(QStringLiteral("予備品%1-%2").arg(r).arg(c));
    using clock = std::chrono::steady_clock;
    auto seconds = [](clock::time_point t0) { return std::chrono::duration<double>(clock::now() - t0).count(); };
    double write = 0, store = 0, load = 0, read = 0;
    for (auto _ : state) {
        auto book = s.office->createNew();
        if (!book) {
            state.SkipWithError("no workbook");
            return;
        }
        Status st = book.value()->setScreenUpdating(false);
        auto t0 = clock::now();
        if (st) st = book.value()->firstSheet().writeBlock(1, 1, full);
        write = std::max(write, seconds(t0));
        if (st) st = book.value()->setScreenUpdating(true);
        t0 = clock::now();
        if (st) st = book.value()->storeAsXls(file);
        store = std::max(store, seconds(t0));
        book.value()->close();
        if (!st) {
            state.SkipWithError("write or store failed");
            return;
        }
        t0 = clock::now();
        auto again = s.office->bind(file);
        load = std::max(load, seconds(t0));
        if (!again) {
            state.SkipWithError("load failed");
            return;
        }
        t0 = clock::now();
        auto back = again.value()->firstSheet().readBlock(Range::of(1, 1, kMaxRows, 30));
        read = std::max(read, seconds(t0));
        again.value()->close();
        if (!back || back->at(kMaxRows - 1, 1) != full.at(kMaxRows - 1, 1)) {
            state.SkipWithError("read back differs");
            return;
        }
    }
    state.counters["write_s"] = write;
    state.counters["store_s"] = store;
    state.counters["load_s"] = load;
    state.counters["read_s"] = read;
}

BENCHMARK(BM_LargestCalls)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WriteStoreReadLedger)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteLedgerParts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FloorCsvToXls)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchState state;
    state.dir = std::make_unique<QTemporaryDir>();
    LibreOfficeOptions options = LibreOfficeOptions::fromEnvironment();
    options.external = false;
    options.pipeName.clear();
    options.headless = true;
    state.office = std::make_unique<LibreOffice>(options);
    if (Status s = state.office->start(); !s) {
        std::fprintf(stderr, "bench_excel: no office: %s\n", qPrintable(s.failure().detail));
        return 1;
    }
    state.table = ledgerTable();
    state.csv = state.dir->path() + QStringLiteral("/ledger.csv");
    QFile f(state.csv);
    f.open(QIODevice::WriteOnly);
    f.write(csvOf(state.table).toUtf8());
    f.close();
    g_state = &state;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_state = nullptr;
    state.office.reset(); // ends the office
    return 0;
}
