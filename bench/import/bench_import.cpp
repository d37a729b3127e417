// The ledger import of a 12,000-item book (made through the spreadsheet
// layer) end to end: bind, block reads, the whole-book check, the records
// written under the ledger lock. Beside it the floor it is measured against:
// the same cells read with one block read, and the same records written to
// the ledger file. One headless office serves all runs.

#include "bench/bench_support.h"
#include "excel/libreoffice.h"
#include "excel/shipped_books.h"
#include "import/example_books.h"
#include "excel/import_books.h"
#include "import/ledger_import.h"
#include "storage/dolvb.h"
#include "storage/ledger_file.h"
#include "storage/settings_store.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace kpv;
using namespace kpv::excel;

namespace {

constexpr int kItems = 12000;

struct BenchState {
    std::unique_ptr<LibreOffice> office;
    std::unique_ptr<QTemporaryDir> dir;
    QString data, books;
    std::vector<LedgerRecord> records;
};

BenchState *g_state = nullptr;

void BM_LedgerImport(benchmark::State &state)
{
    bench::QuietMessages messages;
    NoBusyPointer pointer;
    Dolvb d(messages, pointer);
    d.dataFolder = g_state->data;
    d.clientFolder = g_state->data;
    d.clientSettings.set(1, g_state->data);
    d.loadSharedSettings();
    for (auto _ : state) {
        import::LedgerImport run(d, *g_state->office);
        if (run.run(g_state->books) != import::LedgerImport::Result::Completed || run.written() != kItems) {
            state.SkipWithError(qPrintable(QStringLiteral("import failed: ") + messages.last));
            break;
        }
    }
    state.counters["items"] = kItems;
}

void BM_ReadWholeBlock(benchmark::State &state)
{
    using namespace import::ledger_book;
    for (auto _ : state) {
        auto book = g_state->office->bind(g_state->books + import::ledgerBookName());
        if (!book.ok()) {
            state.SkipWithError("bind failed");
            break;
        }
        auto block = book.value()->firstSheet().readBlock(Range::of(kFirstRow, kFirstCol, kFirstRow + 2 * kItems - 1, kLastCol));
        if (!block.ok()) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(block.value().rows());
    }
}

void BM_LedgerWrites(benchmark::State &state)
{
    const QString path = g_state->data + QStringLiteral("writes.dat");
    for (auto _ : state) {
        LedgerFile f(path);
        if (!f.open()) {
            state.SkipWithError("cannot open");
            break;
        }
        for (int k = 1; k <= kItems; ++k) {
            LedgerRecord r = g_state->records[size_t(k - 1)];
            f.write(k, r);
        }
        f.close();
    }
}

BENCHMARK(BM_LedgerImport)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadWholeBlock)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LedgerWrites)->Unit(benchmark::kMillisecond)->Iterations(3);

bool setUp(BenchState &s)
{
    s.dir = std::make_unique<QTemporaryDir>();
    s.data = s.dir->path() + QStringLiteral("/data/");
    s.books = s.dir->path() + QStringLiteral("/books/");
    QDir().mkpath(s.data);
    QDir().mkpath(s.books);
    SettingsSlots shared;
    shared.set(10, s.books);
    writeSettingsFile(s.data + QStringLiteral("Ma在庫品基礎.dat"), shared);
    s.records = bench::bearingItems(kItems);

    LibreOfficeOptions options = LibreOfficeOptions::fromEnvironment();
    options.external = false;
    options.pipeName.clear();
    options.headless = true;
    s.office = std::make_unique<LibreOffice>(options);
    auto book = s.office->createNew();
    if (!book.ok()) return false;
    Status st = WriteLedgerImportBook(book.value()->firstSheet());
    if (st.ok()) st = import::writeLedgerItems(book.value()->firstSheet(), QStringLiteral("2025/04"), s.records);
    if (st.ok()) st = book.value()->storeAsXls(s.books + import::ledgerBookName());
    (void)book.value()->close();
    if (!st.ok()) std::fprintf(stderr, "bench_import: %s\n", qPrintable(st.failure().detail));
    return st.ok() && QFile::exists(s.books + import::ledgerBookName());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    BenchState state;
    g_state = &state;
    if (!setUp(state)) {
        std::fprintf(stderr, "bench_import: could not make the book\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    state.office->shutdown();
    g_state = nullptr;
    return 0;
}
