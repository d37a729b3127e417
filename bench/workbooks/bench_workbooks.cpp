// The ledger workbook of a generated ledger (12,000 and 50,009 items; write
// and store) against the floor, the office's own conversion of the same cells
// from CSV to .xls; the monthly import of 1,000 item-months including the
// start of the office. And, as a user meets them with the office already
// started in the background: the ledger workbook stored and shown, and the
// monthly import, each run as the screens run it, on the office's work
// thread. The output runs share one headless office.

#include "bench/bench_support.h"
#include "excel/create_from_template.h"
#include "excel/ledger_output.h"
#include "excel/libreoffice.h"
#include "excel/monthly_import.h"
#include "excel/work_thread.h"
#include "import/ledger_import.h"
#include "storage/ledger_file.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

using namespace kpv;
using namespace kpv::excel;
using namespace kpv::workbooks;

namespace {

LibreOfficeOptions ownOffice()
{
    LibreOfficeOptions o = LibreOfficeOptions::fromEnvironment();
    o.external = false;
    o.pipeName.clear();
    o.headless = true;
    return o;
}

struct Folder {
    QTemporaryDir tmp;
    bench::QuietMessages messages{true};
    NoBusyPointer pointer;
    Dolvb d{messages, pointer};

    explicit Folder(const std::vector<LedgerRecord> &records)
    {
        const QString root = tmp.path() + QLatin1Char('/');
        d.clientFolder = d.dataFolder = root;
        d.clientSettings.set(1, root);
        d.sharedSettings.set(9, QStringLiteral("2025/04"));
        d.buildItemLabels();
        QDir(root).mkpath(names::templatesFolder());
        QDir(root).mkpath(names::ledgerBooksFolder());
        QDir(root).mkpath(names::materialsFolder());
        QFile::copy(ExcelTemplatePath(QStringLiteral(KPV_APP_DIR)), ExcelTemplatePath(root));
        QFile f(d.ledgerPath());
        f.open(QIODevice::WriteOnly);
        for (const LedgerRecord &r : records) f.write(r.data(), LedgerRecord::kSize);
        f.close();
    }
};

LibreOffice *g_office = nullptr;

// Arguments: items; 1 to count the office opening the stored book as well,
// as it does to show it to the user.
void BM_LedgerOutput(benchmark::State &state)
{
    Folder folder(bench::bearingItems(int(state.range(0))));
    const bool opened = state.range(1) != 0;
    int day = 0;
    for (auto _ : state) {
        const QDate date = QDate(2026, 1, 1).addDays(day++);
        LedgerOutput out(folder.d, *g_office);
        out.setShowResult(false);
        if (out.run(nullptr, date) != LedgerOutput::Outcome::Written) {
            state.SkipWithError(qPrintable(QStringLiteral("output failed: ") + folder.messages.last));
            return;
        }
        if (!opened) state.PauseTiming();
        auto book = g_office->bind(LedgerOutput::outputPath(folder.d.dataFolder, date));
        if (!opened) state.ResumeTiming();
        state.PauseTiming();
        if (book.ok()) book.value()->close();
        state.ResumeTiming();
    }
    state.counters["items"] = double(state.range(0));
}

// The floor: the same cells, one CSV per sheet, loaded and stored as .xls.
void BM_FloorCsvToXls(benchmark::State &state)
{
    const int n = int(state.range(0));
    const auto records = bench::bearingItems(n);
    QTemporaryDir dir;
    QStringList csvs;
    for (int first = 0; first < n; first += kItemsPerSheet) {
        const Block b = ledgerItemsBlock(records, size_t(first), size_t(std::min(kItemsPerSheet, n - first)));
        QString text;
        for (int r = 0; r < b.rows(); ++r) {
            for (int c = 0; c < b.columns(); ++c) {
                if (c) text += QLatin1Char(',');
                text += QLatin1Char('"') + b.at(r, c).text() + QLatin1Char('"');
            }
            text += QLatin1Char('\n');
        }
        csvs << dir.path() + QStringLiteral("/part%1.csv").arg(csvs.size());
        QFile f(csvs.back());
        f.open(QIODevice::WriteOnly);
        f.write(text.toUtf8());
    }
    for (auto _ : state) {
        for (const QString &csv : csvs) {
            auto book = g_office->bind(csv);
            if (!book.ok()) {
                state.SkipWithError("csv not loaded");
                return;
            }
            Status st = book.value()->storeAsXls(csv + QStringLiteral(".xls"));
            book.value()->close();
            if (!st) state.SkipWithError("store failed");
        }
    }
}

// Work as a screen posts it, waited for as the progress window waits.
template <class F>
bool onWorkThread(F &&work)
{
    auto job = g_office->workThread()->post(QStringLiteral("bench"), [&](Progress &p) { work(p); });
    return job->waitFinished(600000);
}

// The ledger workbook of 12,000 items written, stored and shown (the office
// opens the stored book and shows it), the office already started.
void BM_LedgerWorkbookStoredAndShown(benchmark::State &state)
{
    Folder folder(bench::bearingItems(int(state.range(0))));
    int day = 0;
    for (auto _ : state) {
        const QDate date = QDate(2028, 1, 1).addDays(day++);
        LedgerOutput::Outcome outcome = LedgerOutput::Outcome::Failed;
        onWorkThread([&](Progress &p) {
            LedgerOutput out(folder.d, *g_office, &p);
            outcome = out.run(nullptr, date);
        });
        if (outcome != LedgerOutput::Outcome::Written) {
            state.SkipWithError(qPrintable(QStringLiteral("output failed: ") + folder.messages.last));
            return;
        }
        state.PauseTiming();
        if (auto book = g_office->bind(LedgerOutput::outputPath(folder.d.dataFolder, date)); book.ok()) book.value()->close();
        state.ResumeTiming();
    }
    state.counters["items"] = double(state.range(0));
}

// The daily book of 1,000 item-months (B..G from row 4).
void writeDailyBook(const QString &path)
{
    auto book = g_office->createNew();
    Block b(2000, 6); // B..G
    for (int i = 0; i < 1000; ++i) {
        b.at(2 * i, 0) = CellValue(QStringLiteral("2025/%1").arg(4 + i % 9, 2, 10, QLatin1Char('0')));
        b.at(2 * i, 1) = CellValue(QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0')));
        b.at(2 * i, 5) = CellValue::number(3);
        b.at(2 * i + 1, 5) = CellValue::number(1);
    }
    book.value()->firstSheet().setTextFormatAllCells();
    book.value()->firstSheet().writeBlock(4, 2, b);
    book.value()->storeAsXls(path);
    book.value()->close();
}

// 1,000 item-months into a ledger of 1,000 items, the office already started.
void BM_MonthlyImportOfficeStarted(benchmark::State &state)
{
    Folder folder(bench::bearingItems(1000));
    writeDailyBook(dailyBookPath(folder.d.dataFolder));
    for (auto _ : state) {
        bool ok = false;
        onWorkThread([&](Progress &p) {
            MonthlyImport run(folder.d, *g_office, &p);
            ok = run.run() == MonthlyImport::Outcome::Completed && run.report().imported + run.report().skipped == 1000;
        });
        if (!ok) {
            state.SkipWithError(qPrintable(QStringLiteral("import failed: ") + folder.messages.last));
            return;
        }
    }
}

// 1,000 item-months into a ledger of 1,000 items, the office started anew.
void BM_MonthlyImport1000(benchmark::State &state)
{
    Folder folder(bench::bearingItems(1000));
    writeDailyBook(dailyBookPath(folder.d.dataFolder));
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        LibreOffice office(ownOffice());
        office.start();
        state.counters["start_ms"] = double(timer.elapsed());
        MonthlyImport run(folder.d, office);
        const bool ok = run.run() == MonthlyImport::Outcome::Completed && run.report().imported + run.report().skipped == 1000;
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9); // ending the office is not counted
        if (!ok) {
            state.SkipWithError(qPrintable(QStringLiteral("import failed: ") + folder.messages.last));
            return;
        }
    }
}

// The round trip of a full ledger: the ledger workbook of 50,009 items
// written, then imported into an empty data folder of another client; every
// field and monthly cell the workbook carries must come back (the run fails
// otherwise). Counters: the output's and the import's share in ms.
void BM_LedgerRoundTrip(benchmark::State &state)
{
    const int n = int(state.range(0));
    std::vector<LedgerRecord> records = bench::bearingItems(n);
    for (LedgerRecord &r : records) r.setCell(2, 15, QStringLiteral("900")); // 1000 x 36 / 40, as the import computes it
    Folder folder(records);
    QTemporaryDir other;
    const QString books = other.path() + QStringLiteral("/books/"), data = other.path() + QStringLiteral("/data/");
    QDir().mkpath(books);
    int day = 0;
    for (auto _ : state) {
        QDir(data).removeRecursively();
        QDir().mkpath(data);
        const QDate date = QDate(2027, 1, 1).addDays(day++);
        QElapsedTimer timer;
        timer.start();
        LedgerOutput out(folder.d, *g_office);
        out.setShowResult(false);
        if (out.run(nullptr, date) != LedgerOutput::Outcome::Written) {
            state.SkipWithError(qPrintable(QStringLiteral("output failed: ") + folder.messages.last));
            return;
        }
        const double outputMs = double(timer.nsecsElapsed()) / 1e6;
        const QString book = LedgerOutput::outputPath(folder.d.dataFolder, date);
        QFile::remove(books + QStringLiteral("Mb在庫品INP.xls"));
        QFile::copy(book, books + QStringLiteral("Mb在庫品INP.xls"));
        timer.restart();
        bench::QuietMessages messages(true);
        NoBusyPointer pointer;
        Dolvb d2(messages, pointer);
        d2.clientFolder = d2.dataFolder = data;
        d2.clientSettings.set(1, data);
        import::LedgerImport run(d2, *g_office);
        if (run.run(books) != import::LedgerImport::Result::Completed || run.written() != n) {
            state.SkipWithError(qPrintable(QStringLiteral("import failed: ") + messages.last));
            return;
        }
        state.counters["output_ms"] = outputMs;
        state.counters["import_ms"] = double(timer.nsecsElapsed()) / 1e6;
        state.PauseTiming();
        LedgerFile back(d2.ledgerPath());
        int same = 0;
        if (back.open() && back.countRecords() == n) {
            for (int k = 1; k <= n; ++k) {
                LedgerRecord r;
                if (!back.read(k, r)) break;
                const LedgerRecord &o = records[size_t(k - 1)];
                bool all = true;
                for (int f = 0; f <= 10 && all; ++f) all = r.field(f) == o.field(f);
                for (int line = 1; line <= 2 && all; ++line)
                    for (int m = 1; m <= 15 && all; ++m) all = r.cell(line, m) == o.cell(line, m);
                same += all;
            }
        }
        state.counters["items_back"] = same;
        if (same != n) {
            state.SkipWithError(qPrintable(QStringLiteral("%1 of %2 items came back field for field").arg(same).arg(n)));
            return;
        }
        if (auto shown = g_office->bind(book); shown.ok()) shown.value()->close();
        state.ResumeTiming();
    }
    state.counters["items"] = double(n);
}

// One output and one conversion before the measurements, so that neither
// side pays the office's first use (its filters loaded, its memory grown) in
// its first iteration: the outputs run first and used to pay it alone.
bool warmUp()
{
    Folder folder(bench::bearingItems(12000));
    LedgerOutput out(folder.d, *g_office);
    out.setShowResult(false);
    const QDate day(2025, 12, 31);
    if (out.run(nullptr, day) != LedgerOutput::Outcome::Written) return false;
    if (auto book = g_office->bind(LedgerOutput::outputPath(folder.d.dataFolder, day)); book.ok()) book.value()->close();
    QTemporaryDir dir;
    const QString csv = dir.path() + QStringLiteral("/warm.csv");
    QFile f(csv);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write("\"a\",\"1\"\n\"b\",\"2\"\n");
    f.close();
    auto book = g_office->bind(csv);
    if (!book.ok()) return false;
    const bool stored = book.value()->storeAsXls(csv + QStringLiteral(".xls")).ok();
    book.value()->close();
    return stored;
}

BENCHMARK(BM_LedgerOutput)->Args({12000, 0})->Args({50009, 0})->Args({12000, 1})->Args({50009, 1})->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FloorCsvToXls)->Arg(12000)->Arg(50009)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_LedgerRoundTrip)->Arg(50009)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_MonthlyImport1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_LedgerWorkbookStoredAndShown)->Arg(12000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MonthlyImportOfficeStarted)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    auto office = std::make_unique<LibreOffice>(ownOffice());
    if (Status s = office->start(); !s) {
        std::fprintf(stderr, "bench_workbooks: no office: %s\n", qPrintable(s.failure().detail));
        return 1;
    }
    g_office = office.get();
    if (!warmUp()) {
        std::fprintf(stderr, "bench_workbooks: the office's first use failed\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_office = nullptr;
    office.reset(); // ends the office
    return 0;
}
