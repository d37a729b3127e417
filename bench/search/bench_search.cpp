// Narrowing and sorting on a full ledger (50,009 records) generated in a
// temporary folder: a three-word and a one-word narrowing scan (each reading
// the file again), a re-narrowing of a large result, the sort into the
// temporary ledger, and the raw read of the file as the floor. When SQLite is
// at hand, its LIKE over the same six text columns held in memory is the
// reference for the scans.
#include "bench/bench_support.h"
#include "search/ledger_reader.h"
#include "search/ledger_rewrite.h"
#include "search/narrowing.h"
#include "search/sort_session.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#ifdef KPV_HAVE_SQLITE
#include <sqlite3.h>
#endif

namespace {

constexpr int kRecords = 50009;

const QString kNames[] = {QStringLiteral("六角ボルト"), QStringLiteral("ベアリング"), QStringLiteral("電磁弁"), QStringLiteral("ﾎﾞﾙﾄ"),
                          QStringLiteral("Oリング"), QStringLiteral("ボルトM8"), QStringLiteral("オイルシール"), QStringLiteral("Vベルト")};
const QString kMakers[] = {QStringLiteral("ＡＢＣ製作所"), QStringLiteral("東洋精機"), QStringLiteral("ACME"), QStringLiteral("北陸工業")};

QString fieldText(int i, int f)
{
    switch (f) {
    case 0: return QStringLiteral("A-%1").arg((i * 7919) % 100000, 6, 10, QLatin1Char('0'));
    case 1: return kNames[i % 8];
    case 2: return QStringLiteral("M%1×%2").arg(i % 30).arg(i % 90);
    case 3: return kMakers[i % 4];
    case 4: return QStringLiteral("倉庫A-%1").arg(i % 9);
    case 7: return QStringLiteral("個");
    }
    return {};
}

struct Data {
    QTemporaryDir dir;
    QString folder;
    Data()
    {
        folder = dir.path() + QLatin1Char('/');
        kpv::bench::writeGeneratedLedger(folder + kpv::names::ledger(), kRecords, [](int i, kpv::LedgerRecord &r) {
            for (int f : {0, 1, 2, 3, 4, 7}) r.setField(f, fieldText(i, f));
            r.setField(5, QString::number(i % 500));
            r.setField(6, QString::number((i % 500) * (i % 40)));
            r.setField(10, QString::number(i % 40));
            for (int m = 1; m <= 12; m += 3) r.setCell(1, m, QString::number(m));
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
    Db()
    {
        db.clientFolder = db.dataFolder = data().folder;
        db.machineName = QStringLiteral("BENCH");
    }
};

kpv::search::Conditions conditions(std::initializer_list<std::pair<int, QString>> list)
{
    kpv::search::ConditionRows rows;
    size_t r = 0;
    for (const auto &[column, word] : list) rows[r++] = kpv::search::ConditionRow{QString::number(column), {}, word};
    return kpv::search::orderConditions(rows);
}

// The floor: the file read whole in the scan's blocks, nothing done with it.
void BM_RawRead(benchmark::State &state)
{
    const QString path = data().folder + kpv::names::ledger();
    for (auto _ : state) {
        kpv::search::LedgerReader reader(path);
        for (int first = 1; first <= kRecords; first += kpv::search::LedgerReader::kBlockRecords) {
            const char *b = reader.block(first, std::min(kpv::search::LedgerReader::kBlockRecords, kRecords - first + 1));
            benchmark::DoNotOptimize(b);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * qint64(kRecords) * kpv::LedgerRecord::kSize);
}

void narrowBench(benchmark::State &state, const kpv::search::Conditions &c, int expected)
{
    Db d;
    kpv::search::Narrowing n;
    for (auto _ : state) benchmark::DoNotOptimize(n.narrowLedger(d.db, c));
    if (n.count() != expected) state.SkipWithError(qPrintable(QStringLiteral("found %1").arg(n.count())));
    state.counters["found"] = n.count();
}

// Name, specification and maker: 六角ボルト (1 in 8), "M1" (1 in 3), ＡＢＣ (1 in 4).
int threeWordExpected()
{
    int n = 0;
    for (int i = 1; i <= kRecords; ++i)
        n += fieldText(i, 1).contains(QStringLiteral("ボルト")) && fieldText(i, 2).contains(QStringLiteral("M1")) && fieldText(i, 3).contains(QStringLiteral("ＡＢＣ"));
    return n;
}

void BM_NarrowThreeWords(benchmark::State &state)
{
    static const int expected = threeWordExpected();
    narrowBench(state, conditions({{2, QStringLiteral("ボルト")}, {3, QStringLiteral("M1")}, {4, QStringLiteral("ＡＢＣ")}}), expected);
}

void BM_NarrowOneWord(benchmark::State &state)
{
    narrowBench(state, conditions({{2, QStringLiteral("ベアリング")}}), (kRecords - 1) / 8 + 1);
}

void BM_NarrowOneAsciiWord(benchmark::State &state)
{
    narrowBench(state, conditions({{3, QStringLiteral("M2×")}}), [] {
        int n = 0;
        for (int i = 1; i <= kRecords; ++i) n += fieldText(i, 2).contains(QStringLiteral("M2×"));
        return n;
    }());
}

// Re-narrowing a result of a quarter of the ledger.
void BM_NarrowAgainQuarter(benchmark::State &state)
{
    Db d;
    kpv::search::Narrowing n;
    const auto wide = conditions({{4, QStringLiteral("ＡＢＣ")}});
    const auto narrow = conditions({{4, QStringLiteral("ＡＢＣ")}, {2, QStringLiteral("ボルト")}});
    for (auto _ : state) {
        state.PauseTiming();
        n.narrowLedger(d.db, wide);
        state.ResumeTiming();
        benchmark::DoNotOptimize(n.narrowAgain(d.db, narrow));
    }
    state.counters["found"] = n.count();
}

// "Sort開始" in a fresh session each time (opening and closing the panel
// are not timed): collate, list and write the temporary ledger. The order is
// made on a thread of its own from the opening on; pressed at once, the
// button waits for it (the worst case), pressed after the user has looked at
// the list for a moment (range 1: 300 ms), it finds it made. Range 2 times
// the opening too: reading the ledger, listing it, and the whole sort.
void BM_SortIntoTempLedger(benchmark::State &state)
{
    Db d;
    const int mode = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        kpv::search::SortSession s(d.db);
        if (mode == 2) state.ResumeTiming();
        if (!s.open()) {
            state.SkipWithError("session not opened");
            break;
        }
        if (mode == 1) std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (mode != 2) state.ResumeTiming();
        benchmark::DoNotOptimize(s.sort());
        state.PauseTiming();
        if (s.sortedCount() != kRecords) state.SkipWithError("not all records sorted");
        s.close();
        state.ResumeTiming();
    }
}

// "登　録" of a sorted list on the whole ledger: the ledger read again under
// its lock and compared, the change journal's entry (every item compared
// before and after), the dated copy of the old ledger in the history folder,
// the new ledger written beside, synced and renamed over the old one. Each
// round works on a fresh copy of the generated ledger (not timed).
void BM_SortRegistered(benchmark::State &state)
{
    QFile generated(data().folder + kpv::names::ledger());
    if (!generated.open(QIODevice::ReadOnly)) {
        state.SkipWithError("no generated ledger");
        return;
    }
    const QByteArray bytes = generated.readAll();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        {
            QFile copy(folder + kpv::names::ledger());
            if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size()) {
                state.SkipWithError("ledger not copied");
                break;
            }
        }
        kpv::bench::QuietMessages messages(true);
        kpv::NoBusyPointer pointer;
        kpv::Dolvb db{messages, pointer};
        db.clientFolder = db.dataFolder = folder;
        db.machineName = QStringLiteral("BENCH");
        kpv::search::SortSession s(db);
        if (!s.open() || !s.sort()) {
            state.SkipWithError("not sorted");
            break;
        }
        state.ResumeTiming();
        const bool registered = s.registerSort();
        state.PauseTiming();
        if (!registered) {
            state.SkipWithError(("not registered: " + messages.last.toStdString()).c_str());
            break;
        }
        s.close();
        state.ResumeTiming();
    }
}

void BM_CollateKeysOnly(benchmark::State &state)
{
    std::vector<QString> keys;
    for (int i = 1; i <= kRecords; ++i) keys.push_back(fieldText(i, 1) + fieldText(i, 0));
    for (auto _ : state) benchmark::DoNotOptimize(kpv::search::collatedOrder(keys));
}

#ifdef KPV_HAVE_SQLITE
// The reference: the six text columns in an in-memory SQLite table, found by
// LIKE '%word%'.
struct Sqlite {
    sqlite3 *db = nullptr;
    Sqlite()
    {
        sqlite3_open(":memory:", &db);
        sqlite3_exec(db, "CREATE TABLE t(no TEXT, name TEXT, spec TEXT, maker TEXT, place TEXT, unit TEXT)", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *ins = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?,?,?,?,?,?)", -1, &ins, nullptr);
        for (int i = 1; i <= kRecords; ++i) {
            int p = 1;
            for (int f : {0, 1, 2, 3, 4, 7}) {
                const QByteArray u = fieldText(i, f).toUtf8();
                sqlite3_bind_text(ins, p++, u.constData(), int(u.size()), SQLITE_TRANSIENT);
            }
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    ~Sqlite() { sqlite3_close(db); }
    int count(const char *sql)
    {
        sqlite3_stmt *q = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &q, nullptr);
        int n = 0;
        while (sqlite3_step(q) == SQLITE_ROW) ++n;
        sqlite3_finalize(q);
        return n;
    }
};

Sqlite &sqlite()
{
    static Sqlite s;
    return s;
}

void BM_SqliteLikeThreeWords(benchmark::State &state)
{
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(n = sqlite().count("SELECT rowid FROM t WHERE name LIKE '%ボルト%' AND spec LIKE '%M1%' AND maker LIKE '%ＡＢＣ%'"));
    state.counters["found"] = n;
}

void BM_SqliteLikeOneWord(benchmark::State &state)
{
    int n = 0;
    for (auto _ : state) benchmark::DoNotOptimize(n = sqlite().count("SELECT rowid FROM t WHERE name LIKE '%ベアリング%'"));
    state.counters["found"] = n;
}

BENCHMARK(BM_SqliteLikeThreeWords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteLikeOneWord)->Unit(benchmark::kMillisecond);
#endif

} // namespace

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NarrowThreeWords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NarrowOneWord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NarrowOneAsciiWord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NarrowAgainQuarter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortIntoTempLedger)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortRegistered)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CollateKeysOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
namespace {
// The stamp that registering compares: a hash of every byte of the ledger.
void BM_StampOnly(benchmark::State &state)
{
    kpv::search::LargeBuffer all;
    kpv::search::LedgerReader::readAll(data().folder + kpv::names::ledger(), all);
    for (auto _ : state) benchmark::DoNotOptimize(kpv::search::LedgerStamp::of(all.data(), all.size()));
}
} // namespace
BENCHMARK(BM_StampOnly)->Unit(benchmark::kMillisecond);
