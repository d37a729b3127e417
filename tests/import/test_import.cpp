// The ledger import and the word-list import against the suite's shared
// office, with books made the way a user fills the shipped blank books.

#include "import/ledger_import.h"
#include "storage/file_lock.h"
#include "import/word_list_import.h"
#include "import_world.h"
#include "storage/ledger_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

using namespace kpv;
using namespace kpv::testing;
using import::LedgerImport;
using import::WordListImport;

namespace {

const QString kDone = QStringLiteral(" 在庫品INPExcel　インポートを。\r 完了しました。");

struct Imports : ::testing::Test {
    void SetUp() override
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("KPV_SOFFICE_PIPE")) << "run through ctest (shared office)";
    }
    LedgerImport::Result importLedger()
    {
        LedgerImport run(w.d, *w.office);
        run.setLockTimeout(200);
        return run.run(w.books);
    }
    // A ledger of n records whose item numbers are OLD-1 .. OLD-n.
    void oldLedger(int n)
    {
        LedgerFile f(w.d.ledgerPath());
        ASSERT_TRUE(f.open());
        for (int i = 1; i <= n; ++i) {
            LedgerRecord r;
            r.setField(0, QStringLiteral("OLD-%1").arg(i));
            ASSERT_TRUE(f.write(i, r));
        }
    }
    LedgerRecord record(int n)
    {
        LedgerFile f(w.d.ledgerPath());
        LedgerRecord r;
        EXPECT_TRUE(f.open() && f.read(n, r));
        return r;
    }
    static std::pair<Cells, Cells> item(const QString &number, const QString &name)
    {
        return {{{col("C"), number}, {col("D"), name}}, {}};
    }

    ImportWorld w;
};

} // namespace

TEST_F(Imports, EmptyFirstNameImportsNothingButStoresTheStartMonth)
{
    w.makeLedgerBook(QStringLiteral("2026/04"), {});
    EXPECT_EQ(importLedger(), LedgerImport::Result::Completed);
    EXPECT_EQ(w.sharedFile().value(9), "2026/04");
    EXPECT_EQ(w.ledgerBytes(), QByteArray());
    ASSERT_EQ(w.messages.count(), 1);
    EXPECT_EQ(w.messages.last().title, "登録確認");
    EXPECT_EQ(w.messages.last().text, kDone);
}

TEST_F(Imports, ShortStartMonthIsKeptInMemoryOnly)
{
    w.makeLedgerBook(QStringLiteral("2026/4"), {item("A-1", "ボルト")});
    EXPECT_EQ(importLedger(), LedgerImport::Result::Completed);
    EXPECT_EQ(w.d.sharedSettings.value(9), "2026/4");
    EXPECT_EQ(w.sharedFile().value(9), "");
    EXPECT_EQ(record(1).field(1), "ボルト");
}

TEST_F(Imports, CellsGoWhereTheTableSaysAndRatesAreComputed)
{
    Cells receipts{{col("C"), "0089"}, {col("D"), " 六角 ボルト "}, {col("E"), "M8"}, {col("F"), "東洋"},
                   {col("G"), "A-1"},  {col("H"), "12.5"},          {col("I"), "1080"}, {col("J"), "本"},
                   {col("K"), "100"},  {col("L"), "50"},            {col("M"), "90"},   {col("N"), "5"},
                   {col("P"), "1"},    {col("AA"), "4"},            {col("AB"), "8"},   {col("AC"), "999"},
                   {col("AD"), " 2025/06 "}};
    Cells issues{{col("C"), "ignored"}, {col("N"), "30"}, {col("Q"), "30"}, {col("AB"), "0"}};
    w.makeLedgerBook(QStringLiteral("2025/04"), {{receipts, issues}, {{{col("C"), "B-2"}, {col("D"), "弁"}, {col("N"), "abc"}, {col("AB"), "8"}}, {}}});
    w.d.sharedSettings.set(11, "1");
    ASSERT_EQ(importLedger(), LedgerImport::Result::Completed);

    const LedgerRecord r = record(1);
    const char *fields[] = {"0089", "六角 ボルト", "M8", "東洋", "A-1", "12.5", "1080", "本", "100", "50", "90", "2025/06"};
    for (int n = 0; n <= 11; ++n) EXPECT_EQ(r.field(n), QString::fromUtf8(fields[n])) << "field " << n;
    EXPECT_EQ(r.cell(1, 1), "1");
    EXPECT_EQ(r.cell(1, 12), "4");
    EXPECT_EQ(r.cell(1, 13), "5");
    EXPECT_EQ(r.cell(1, 14), "8");
    EXPECT_EQ(r.cell(1, 15), "625");  // 1000 x 5 / 8, not the book's AC
    EXPECT_EQ(r.cell(2, 2), "30");
    EXPECT_EQ(r.cell(2, 13), "30");
    EXPECT_EQ(r.rawCell(2, 15), "       "); // plan 0: empty rate
    EXPECT_EQ(record(2).rawCell(1, 15), "       "); // a total that is no number: empty rate
    EXPECT_EQ(record(2).cell(1, 13), "abc");        // kept as the text it is
    // Never-assigned: spare fields, row 0 and month slot 0 stay NUL.
    const QByteArray b = r.bytes();
    for (int n = 12; n <= 20; ++n) EXPECT_EQ(b.mid(LedgerRecord::fieldOffset(n), 28), QByteArray(28, '\0')) << n;
    for (int m = 0; m <= 15; ++m) EXPECT_EQ(b.mid(LedgerRecord::cellOffset(0, m), 7), QByteArray(7, '\0')) << m;
    EXPECT_EQ(b.mid(LedgerRecord::cellOffset(1, 0), 7), QByteArray(7, '\0'));
}

TEST_F(Imports, StartOfUseSwitchOffLeavesFieldElevenUnassigned)
{
    w.makeLedgerBook(QStringLiteral("2025/04"), {{{{col("C"), "A"}, {col("D"), "弁"}, {col("AD"), "2025/06"}}, {}}});
    w.d.sharedSettings.set(11, "0");
    ASSERT_EQ(importLedger(), LedgerImport::Result::Completed);
    EXPECT_EQ(record(1).bytes().mid(LedgerRecord::fieldOffset(11), 28), QByteArray(28, '\0'));
}

TEST_F(Imports, ThreeItemsOverwriteTheFirstThreeOfTenAndKeepTheRest)
{
    oldLedger(10);
    const QByteArray before = w.ledgerBytes();
    w.d.changeSharedSettings({{13, "2026/12/09"}});
    w.makeLedgerBook(QStringLiteral("2025/04"), {item("N-1", "一"), item("N-2", "二"), item("N-3", "三")});
    ASSERT_EQ(importLedger(), LedgerImport::Result::Completed);
    const QByteArray after = w.ledgerBytes();
    ASSERT_EQ(after.size(), 10 * LedgerRecord::kSize);
    EXPECT_EQ(record(3).field(0), "N-3");
    EXPECT_EQ(after.mid(3 * LedgerRecord::kSize), before.mid(3 * LedgerRecord::kSize));
    EXPECT_EQ(w.d.recordCount, 10);
    EXPECT_EQ(w.sharedFile().value(13), "") << "the ledger screen rebuilds its list";
}

TEST_F(Imports, BadCellsAreListedAndNothingIsWritten)
{
    oldLedger(2);
    const QByteArray before = w.ledgerBytes();
    w.makeLedgerBook(QStringLiteral("2026/04"),
                     {item("A-1", "ボルト"),
                      {{{col("C"), "A/2"}, {col("D"), "弁"}, {col("E"), QStringLiteral("笑顔😀")}}, {{col("P"), "12345678"}}},
                      {{{col("C"), "A-3"}, {col("D"), QStringLiteral("とても長い名前の予備品でございます")}}, {}}});
    EXPECT_EQ(importLedger(), LedgerImport::Result::Refused);
    EXPECT_EQ(w.ledgerBytes(), before);
    EXPECT_EQ(w.sharedFile().value(9), "");
    ASSERT_EQ(w.messages.count(), 1);
    const QString text = w.messages.last().text;
    EXPECT_EQ(w.messages.last().title, "インポート確認");
    for (const char *cell : {"C7：", "E7：", "P8：", "D9："}) EXPECT_TRUE(text.contains(QString::fromUtf8(cell))) << cell;
    EXPECT_TRUE(text.contains(QStringLiteral("😀")));
    EXPECT_FALSE(text.contains(QStringLiteral("C5")));
}

TEST_F(Imports, MissingBookIsToldAndNothingChanges)
{
    oldLedger(1);
    const QByteArray before = w.ledgerBytes();
    EXPECT_EQ(importLedger(), LedgerImport::Result::Failed);
    WordListImport words(w.d, *w.office);
    EXPECT_EQ(words.run(w.books), WordListImport::Result::Failed);
    ASSERT_EQ(w.messages.count(), 2);
    for (const auto &m : w.messages.log()) {
        EXPECT_EQ(m.title, "Excel異常");
        EXPECT_EQ(m.text, "Excelファイル名称が違います。　");
    }
    EXPECT_EQ(w.ledgerBytes(), before);
    EXPECT_FALSE(w.pointer.busy());
}

TEST_F(Imports, CapacityStopsAfterCapacityLessOneAndKeepsThem)
{
    w.d.ledgerCapacity = 4;
    w.makeLedgerBook(QStringLiteral("2025/04"), {item("1", "a"), item("2", "b"), item("3", "c"), item("4", "d")});
    EXPECT_EQ(importLedger(), LedgerImport::Result::CapacityReached);
    EXPECT_EQ(w.ledgerBytes().size(), 3 * LedgerRecord::kSize);
    EXPECT_EQ(w.messages.last().title, "インポート確認");
    EXPECT_EQ(w.messages.last().text, "在庫品インポートデータが許容量件数 3を超えました\r　確認してください。");
}

TEST_F(Imports, ALedgerLockedByAnotherClientIsNotWritten)
{
    oldLedger(1);
    const QByteArray before = w.ledgerBytes();
    w.makeLedgerBook(QStringLiteral("2025/04"), {item("N-1", "一")});
    // Another client appending holds the lock file beside the ledger.
    FileLock other(w.d.ledgerPath(), 0);
    ASSERT_TRUE(other.locked());
    EXPECT_EQ(FileLock(w.d.ledgerPath(), 0).state(), FileLock::State::Busy) << "the import and the appends share one lock file";
    EXPECT_EQ(importLedger(), LedgerImport::Result::Failed);
    EXPECT_EQ(w.ledgerBytes(), before);
    EXPECT_TRUE(w.messages.last().text.contains(QStringLiteral("使用中")));
}

TEST_F(Imports, WordListsReplaceWordsKeepCompanionsAndCountFromTheFirstEmptyCell)
{
    QStringList many;
    for (int i = 1; i <= 2500; ++i) many << QStringLiteral("語%1").arg(i);
    QStringList afterGap{QString(), QStringLiteral("下の語")};
    w.makeWordBook({afterGap, many, {QStringLiteral("  ＡＢＣ 製作所  "), QStringLiteral("東洋")}, {}, {QStringLiteral("本")}});
    // Entry 1 of list 4 has a companion value, and list 6 held more words before.
    w.d.pickListTable.setId(1, 4, QStringLiteral("K1"));
    for (int j = 1; j <= 3; ++j) w.d.pickListTable.setWord(j, 6, QStringLiteral("旧%1").arg(j));

    WordListImport run(w.d, *w.office);
    ASSERT_EQ(run.run(w.books), WordListImport::Result::Completed);
    const SettingsSlots s = w.sharedFile();
    EXPECT_EQ(s.value(3), "0");
    EXPECT_EQ(s.value(4), "2000");
    EXPECT_EQ(s.value(5), "2");
    EXPECT_EQ(s.value(6), "0");
    EXPECT_EQ(s.value(7), "1");
    EXPECT_EQ(s.value(10), w.books);
    EXPECT_EQ(w.messages.last().text, " 在庫品項目Excel　インポートを。\r 完了しました。");

    // What the next client loads from the files.
    ScriptedMessages m2;
    NoBusyPointer p2;
    Dolvb other(m2, p2);
    other.dataFolder = w.data;
    other.sharedSettings = s;
    other.loadPickLists();
    EXPECT_EQ(other.pickListTable.word(2000, 3), "語2000");
    EXPECT_EQ(other.pickListTable.word(2001, 3), "");
    EXPECT_EQ(other.pickListTable.word(1, 4), "ＡＢＣ 製作所");
    EXPECT_EQ(other.pickListTable.id(1, 4), "K1");
    EXPECT_EQ(other.pickListTable.word(1, 2), "");
    EXPECT_EQ(w.d.pickListTable.word(2, 6), "");
}

TEST_F(Imports, AWordTheListFilesCannotHoldRefusesTheWholeBook)
{
    w.makeWordBook({QStringList{QStringLiteral("良い語")}, {QStringLiteral("12\"管")}, {}, {QStringLiteral("〜")}, {}});
    WordListImport run(w.d, *w.office);
    EXPECT_EQ(run.run(w.books), WordListImport::Result::Refused);
    const QString text = w.messages.last().text;
    EXPECT_TRUE(text.contains(QStringLiteral("C5："))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("E5："))) << text.toStdString();
    EXPECT_EQ(w.sharedFile().value(3), "");
    EXPECT_FALSE(QFile::exists(w.d.pickListPath(2)));
}

TEST_F(Imports, ExampleBooksBringBackTheExampleLedgerAndItsWordLists)
{
    const QString examples = qEnvironmentVariable("KPV_APP_DIR") + QLatin1Char('/') + import::exampleBooksFolder() + QLatin1Char('/');
    ASSERT_TRUE(QFileInfo::exists(examples + import::ledgerBookName())) << examples.toStdString();
    // The example ledger, read as any client reads it.
    const QString source = withSlash(w.tmp.path()) + QStringLiteral("source/");
    ASSERT_TRUE(copyFixture("ledger30", source));
    ScriptedMessages m2;
    NoBusyPointer p2;
    Dolvb original(m2, p2);
    original.dataFolder = source;
    original.clientFolder = source;
    original.clientSettings.set(1, source);
    original.loadSharedSettings();
    ASSERT_TRUE(original.openLedger());
    original.loadPickLists();

    w.d.sharedSettings.set(10, examples);
    LedgerImport ledger(w.d, *w.office);
    ASSERT_EQ(ledger.run(examples), LedgerImport::Result::Completed);
    WordListImport words(w.d, *w.office);
    ASSERT_EQ(words.run(examples), WordListImport::Result::Completed);

    int k = 0;
    for (int n = 1; n <= original.recordCount; ++n) {
        ASSERT_TRUE(original.readRecord(n));
        const LedgerRecord &from = original.recordBuffer;
        if (from.field(1).isEmpty()) continue; // items without a name are not in the book
        const LedgerRecord to = record(++k);
        for (int f = 0; f <= 10; ++f) EXPECT_EQ(to.field(f), from.field(f)) << "record " << n << " field " << f;
        for (int r = 1; r <= 2; ++r)
            for (int m = 1; m <= 15; ++m) EXPECT_EQ(to.cell(r, m), from.cell(r, m)) << "record " << n << " cell " << r << "," << m;
    }
    EXPECT_EQ(k, 29);
    EXPECT_EQ(w.sharedFile().value(9), original.sharedSettings.value(9));
    for (int list = 2; list <= 6; ++list) {
        EXPECT_EQ(w.sharedFile().value(list + 1), original.sharedSettings.value(list + 1)) << list;
        for (int j = 1; j <= int(original.sharedSettings.number(list + 1)); ++j)
            EXPECT_EQ(w.d.pickListTable.word(j, list), original.pickListTable.word(j, list)) << list << "/" << j;
    }
}
