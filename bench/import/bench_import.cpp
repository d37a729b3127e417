// The ledger import of a 12,000-item book (made through the spreadsheet
// layer) end to end: bind, block reads, the whole-book check, the records
// written under the ledger lock. Beside it the floor it is measured against:
// the same cells read with one block read, and the same records written to
// the ledger file. One headless office serves all runs.

#include "excel/libreoffice.h"
#include "excel/shipped_books.h"
#include "import/example_books.h"
#include "import/import_books.h"
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

class QuietMessages : public Messages {
public:
    bool ask(const QString &, const QString &) override { return false; }
    void tell(const QString &title, const QString &text) override { last = title + QLatin1Char(':') + text; }
    QString last;
};

struct BenchState {
    std::unique_ptr<LibreOffice> office;
    std::unique_ptr<QTemporaryDir> dir;
    QString data, books;
    std::vector<LedgerRecord> records;
};

BenchState *g_state = nullptr;

std::vector<LedgerRecord> items()
{
    std::vector<LedgerRecord> out(kItems);
    for (int i = 0; i < kItems; ++i) {
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
    }
    return out;
}

void BM_LedgerImport(benchmark::State &state)
{
    QuietMessages messages;
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
    s.records = items();

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
