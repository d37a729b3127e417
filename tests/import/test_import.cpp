// The ledger import and the word-list import against the suite's shared
// office, with books made the way a user fills the shipped blank books.

#include "excel/import_book.h"
#include "import/ledger_import.h"
#include "storage/file_lock.h"
#include "import/word_list_import.h"
#include "storage/codepage.h"
#include "import_world.h"
#include "storage/ledger_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

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

TEST_F(Imports, ABookWithoutItemsIsRefusedAndChangesNothing)
{
    w.d.changeSharedSettings({{9, "2025/04"}});
    w.makeLedgerBook(QStringLiteral("2026/04"), {});
    EXPECT_EQ(importLedger(), LedgerImport::Result::Refused);
    EXPECT_EQ(w.sharedFile().value(9), "2025/04");
    EXPECT_EQ(w.d.sharedSettings.value(9), "2025/04");
    EXPECT_FALSE(QFileInfo::exists(w.d.ledgerPath()));
    ASSERT_EQ(w.messages.count(), 1);
    EXPECT_EQ(w.messages.last().title, "インポート確認");
    EXPECT_TRUE(w.messages.last().text.startsWith(w.books + import::ledgerBookName() + "\r")) << w.messages.last().text.toStdString();
    EXPECT_TRUE(w.messages.last().text.contains("在庫品がありません"));
}

TEST_F(Imports, ShortStartMonthIsKeptInMemoryOnly)
{
    w.makeLedgerBook(QStringLiteral("2026/4"), {item("A-1", "ボルト")});
    EXPECT_EQ(importLedger(), LedgerImport::Result::Completed);
    EXPECT_EQ(w.d.sharedSettings.value(9), "2026/4");
    EXPECT_EQ(w.sharedFile().value(9), "");
    EXPECT_EQ(record(1).field(1), "ボルト");
    EXPECT_EQ(w.messages.last().text, kDone + "\r　1件を台帳の1～1番目に書き込みました。");
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
    EXPECT_EQ(w.messages.last().text,
              kDone + "\r　3件を台帳の1～3番目に書き込みました。\r　台帳の4～10番目（7件）は元のまま残っています。");
}

TEST_F(Imports, NamelessItemsAreImportedAndItemsEndAtTheFirstEmptyOne)
{
    // Item 2 has no name but other values; item 3 is empty in C..AD (only
    // column B says what the rows are); item 4 comes after it.
    Cells nameless{{col("C"), "K-001"}, {col("H"), "0"}, {col("K"), "0"}};
    Cells kindOnly{{col("B"), "入庫"}};
    w.makeLedgerBook(QStringLiteral("2025/04"),
                     {item("J-002", "ナット"), {nameless, {}}, {kindOnly, {{col("B"), "出庫"}}}, item("L-1", "後ろ")});
    ASSERT_EQ(importLedger(), LedgerImport::Result::Completed);
    EXPECT_EQ(w.ledgerBytes().size(), 2 * LedgerRecord::kSize);
    EXPECT_EQ(record(2).field(0), "K-001");
    EXPECT_EQ(record(2).field(1), "");
    EXPECT_EQ(record(2).field(5), "0");
}

TEST_F(Imports, TextFieldsAreReadAsTheCellsShowThem)
{
    // A user's book: the item number typed as a number shown with six
    // digits, a price shown with a thousands separator.
    w.makeLedgerBook(QStringLiteral("2025/04"), {item("x", "ボルト")}, [](excel::Workbook &b) {
        excel::Worksheet &s = b.firstSheet();
        require(s.setCell(5, col("C"), excel::CellValue::number(123)).ok(), "C5");
        require(s.setNumberFormat(excel::Range::cell(5, col("C")), QStringLiteral("000000")).ok(), "C5 format");
        require(s.setCell(5, col("H"), excel::CellValue::number(1200)).ok(), "H5");
        require(s.setNumberFormat(excel::Range::cell(5, col("H")), QStringLiteral("#,##0")).ok(), "H5 format");
        require(s.setCell(5, col("J"), excel::CellValue::number(12)).ok(), "J5");
        require(s.setNumberFormat(excel::Range::cell(5, col("J")), QStringLiteral("0\"本\"")).ok(), "J5 format");
    });
    ASSERT_EQ(importLedger(), LedgerImport::Result::Completed);
    EXPECT_EQ(record(1).field(0), "000123");
    EXPECT_EQ(record(1).field(5), "1200"); // a quantity or price by its value
    EXPECT_EQ(record(1).field(7), "12本");
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
    EXPECT_EQ(importLedger(), LedgerImport::Result::Refused);
    WordListImport words(w.d, *w.office);
    EXPECT_EQ(words.run(w.books), WordListImport::Result::Refused);
    ASSERT_EQ(w.messages.count(), 2);
    EXPECT_EQ(w.messages.log()[0].text, import::refusalText(w.books + import::ledgerBookName(), "ファイルがありません。"));
    EXPECT_EQ(w.messages.log()[1].text, import::refusalText(w.books + import::wordListBookName(), "ファイルがありません。"));
    EXPECT_EQ(w.ledgerBytes(), before);
    EXPECT_FALSE(w.pointer.busy());
}

TEST_F(Imports, MoreItemsThanTheLedgerHoldsAreRefusedWhole)
{
    oldLedger(1);
    const QByteArray before = w.ledgerBytes();
    w.d.ledgerCapacity = 4;
    w.makeLedgerBook(QStringLiteral("2025/04"), {item("1", "a"), item("2", "b"), item("3", "c"), item("4", "d")});
    EXPECT_EQ(importLedger(), LedgerImport::Result::CapacityReached);
    EXPECT_EQ(w.ledgerBytes(), before);
    EXPECT_EQ(w.sharedFile().value(9), "");
    EXPECT_EQ(w.messages.last().title, "インポート確認");
    EXPECT_EQ(w.messages.last().text, "在庫品インポートデータが許容量件数 3を超えました\r　確認してください。\r　何も取り込んでいません。");
}

TEST_F(Imports, ALedgerLockedByAnotherClientIsNotWrittenNorTheStartMonth)
{
    oldLedger(1);
    w.d.changeSharedSettings({{9, "2025/04"}, {13, "2026/12/09"}});
    const QByteArray before = w.ledgerBytes();
    w.makeLedgerBook(QStringLiteral("2031/04"), {item("N-1", "一")});
    // Another client appending holds the lock file beside the ledger.
    FileLock other(w.d.ledgerPath(), 0);
    ASSERT_TRUE(other.locked());
    EXPECT_EQ(FileLock(w.d.ledgerPath(), 0).state(), FileLock::State::Busy) << "the import and the appends share one lock file";
    EXPECT_EQ(importLedger(), LedgerImport::Result::Failed);
    EXPECT_EQ(w.ledgerBytes(), before);
    EXPECT_EQ(w.sharedFile().value(9), "2025/04") << "every stored movement keeps its month";
    EXPECT_EQ(w.d.sharedSettings.value(9), "2025/04");
    EXPECT_EQ(w.sharedFile().value(13), "2026/12/09");
    EXPECT_TRUE(w.messages.last().text.contains(QStringLiteral("使用中")));
}

TEST_F(Imports, ASettingsFileThatCannotBeWrittenLeavesTheLedgerAsItWas)
{
    oldLedger(2);
    const QByteArray before = w.ledgerBytes();
    w.makeLedgerBook(QStringLiteral("2031/04"), {item("N-1", "一")});
    // Another client holds SharedSettings' lock for longer than the import waits.
    {
        FileLock settings(w.d.sharedSettingsPath(), 0);
        ASSERT_TRUE(settings.locked());
        EXPECT_EQ(importLedger(), LedgerImport::Result::Failed);
        EXPECT_EQ(w.ledgerBytes(), before);
        EXPECT_EQ(QDir(w.data).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("Ma在庫品.dat.")), QStringList());
        EXPECT_EQ(w.messages.last().text, w.d.sharedSettingsPath() + "\r　設定ファイルを他のクライアントが使用中です。"
                                                                      "\r　しばらくしてからインポートしてください。\r　何も取り込んでいません。");
    }
    EXPECT_EQ(w.sharedFile().value(9), "");
}

// Books that are no ledger book of the layout, each made as a user could
// make it; every one is refused with its file named, and nothing changes.
TEST_F(Imports, BrokenAndForeignBooksAreRefusedNamingTheFileAndWhatIsWrong)
{
    oldLedger(3);
    w.d.changeSharedSettings({{9, "2025/04"}});
    const QByteArray ledger = w.ledgerBytes();
    const QByteArray settings = [&] { QByteArray b; readWholeFile(w.d.sharedSettingsPath(), b); return b; }();
    const QString book = w.books + import::ledgerBookName();
    const auto writeBook = [&](const QByteArray &bytes) {
        QFile::remove(book);
        QFile f(book);
        require(f.open(QIODevice::WriteOnly), "book");
        f.write(bytes);
    };
    const std::vector<std::pair<Cells, Cells>> items{item("A-1", "ボルト"), item("A-2", "ナット")};
    QRandomGenerator random(20);
    QByteArray noise(20000, '\0');
    for (char &c : noise) c = char(random.bounded(256));

    const std::vector<std::pair<const char *, std::function<void()>>> cases = {
        {"random bytes", [&] { writeBook(noise); }},
        {"text", [&] { writeBook(QStringLiteral("在庫品番号\t品名\nA-1\tボルト\n").toUtf8()); }},
        {"html", [&] { writeBook("<html><body><table><tr><td>A-1</td><td>ボルト</td></tr></table></body></html>"); }},
        {"0 bytes", [&] { writeBook(QByteArray()); }},
        {"truncated", [&] {
             w.makeLedgerBook(QStringLiteral("2031/04"), items);
             QByteArray whole;
             readWholeFile(book, whole);
             writeBook(whole.left(whole.size() * 2 / 3));
         }},
        {"xlsx named .xls", [&] { w.makeLedgerBook(QStringLiteral("2031/04"), items, {}, QStringLiteral("Calc MS Excel 2007 XML")); }},
        {"data on sheet 2", [&] {
             w.makeLedgerBook(QStringLiteral("2031/04"), items,
                              [](excel::Workbook &b) { require(b.insertSheet(1, QStringLiteral("表紙")).ok(), "sheet"); });
         }},
        {"C5:E5 merged", [&] {
             w.makeLedgerBook(QStringLiteral("2031/04"), items, [](excel::Workbook &b) {
                 require(b.firstSheet().mergeCells(excel::Range::of(5, 3, 5, 5)).ok(), "merge");
             });
         }},
        {"the word-list book", [&] {
             w.makeWordBook({QStringList{QStringLiteral("ボルト")}, {}, {}, {}, {}});
             QFile::remove(book);
             QFile::rename(w.books + import::wordListBookName(), book);
         }},
    };
    for (const auto &[name, make] : cases) {
        make();
        w.messages.clear();
        EXPECT_EQ(importLedger(), LedgerImport::Result::Refused) << name;
        ASSERT_EQ(w.messages.count(), 1) << name;
        EXPECT_EQ(w.messages.last().title, "インポート確認") << name;
        EXPECT_TRUE(w.messages.last().text.startsWith(book + "\r　")) << name << ": " << w.messages.last().text.toStdString();
        EXPECT_EQ(w.messages.last().text.count('\r'), 2) << name;
        EXPECT_EQ(w.ledgerBytes(), ledger) << name;
        QByteArray now;
        readWholeFile(w.d.sharedSettingsPath(), now);
        EXPECT_EQ(now, settings) << name;
        EXPECT_EQ(w.d.sharedSettings.value(9), "2025/04") << name;
    }
}

TEST_F(Imports, TheShippedBlankBooksChangeNothing)
{
    oldLedger(2);
    w.existingLists({QStringList{"ボルト", "ナット"}, {"M8"}, {"東洋"}, {"棚A"}, {"個", "本"}});
    const QByteArray ledger = w.ledgerBytes(), lists = w.listFiles();
    const QString app = qEnvironmentVariable("KPV_APP_DIR") + QLatin1Char('/');
    ASSERT_TRUE(QFile::copy(app + QString::fromUtf8(excel::kLedgerImportBook), w.books + import::ledgerBookName()));
    ASSERT_TRUE(QFile::copy(app + QString::fromUtf8(excel::kWordListImportBook), w.books + import::wordListBookName()));
    EXPECT_EQ(importLedger(), LedgerImport::Result::Refused);
    WordListImport words(w.d, *w.office);
    EXPECT_EQ(words.run(w.books), WordListImport::Result::Refused);
    EXPECT_TRUE(w.messages.last().text.contains("語句がありません")) << w.messages.last().text.toStdString();
    EXPECT_EQ(w.ledgerBytes(), ledger);
    EXPECT_EQ(w.listFiles(), lists);
    // Random bytes named as the word-list book do no more.
    QFile::remove(w.books + import::wordListBookName());
    QFile f(w.books + import::wordListBookName());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(3000, '\x5a'));
    f.close();
    EXPECT_EQ(words.run(w.books), WordListImport::Result::Refused);
    EXPECT_EQ(w.listFiles(), lists);
    EXPECT_EQ(w.messages.unscripted(), 0);
}

TEST_F(Imports, WordListsReplaceWordsKeepCompanionsAndCountFromTheFirstEmptyCell)
{
    QStringList many;
    for (int i = 1; i <= 2500; ++i) many << QStringLiteral("語%1").arg(i);
    QStringList afterGap{QString(), QStringLiteral("下の語")};
    w.makeWordBook({afterGap, many, {QStringLiteral("  ＡＢＣ 製作所  "), QStringLiteral("東洋")}, {}, {QStringLiteral("本")}});
    // Entry 1 of list 4 has a companion value in its file, and list 6 held
    // more words before; the memory table is empty, as on the import screen.
    w.existingLists({QStringList{}, {}, {QStringLiteral("旧メーカー")}, {}, {"旧1", "旧2", "旧3"}});
    w.d.pickListTable.setWord(5, 6, QStringLiteral("残り"));

    WordListImport run(w.d, *w.office);
    ASSERT_EQ(run.run(w.books), WordListImport::Result::Completed);
    const SettingsSlots s = w.sharedFile();
    EXPECT_EQ(s.value(3), "0");
    EXPECT_EQ(s.value(4), "2000");
    EXPECT_EQ(s.value(5), "2");
    EXPECT_EQ(s.value(6), "0");
    EXPECT_EQ(s.value(7), "1");
    EXPECT_EQ(s.value(10), w.books);
    EXPECT_EQ(w.messages.last().text,
              " 在庫品項目Excel　インポートを。\r 完了しました。\r　品名（B列） 0語、仕様（C列） 2000語、メーカー（D列） 2語、"
              "保管場所（E列） 0語、単位（F列） 1語");
    EXPECT_EQ(w.messages.unscripted(), 0) << "no list with words was emptied";

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
    EXPECT_EQ(other.pickListTable.id(1, 4), "id旧メーカー");
    EXPECT_EQ(other.pickListTable.id(2, 4), "");
    EXPECT_EQ(other.pickListTable.word(1, 2), "");
    EXPECT_EQ(w.d.pickListTable.word(2, 6), "");
    EXPECT_EQ(w.d.pickListTable.word(5, 6), "");
    EXPECT_EQ(other.pickListTable.word(2, 6), "");
    EXPECT_EQ(other.pickListTable.word(1, 6), "本");
}

TEST_F(Imports, AnEmptyColumnEmptiesItsListOnlyAfterTheQuestion)
{
    w.existingLists({QStringList{"ボルト"}, {"M8"}, {"東洋"}, {"棚A"}, {"個"}});
    const QByteArray lists = w.listFiles();
    w.makeWordBook({QStringList{"新品名"}, {"新仕様"}, {}, {"新棚"}, {}});
    WordListImport run(w.d, *w.office);
    w.messages.answerNo();
    EXPECT_EQ(run.run(w.books), WordListImport::Result::Cancelled);
    ASSERT_EQ(w.messages.count(), 1);
    EXPECT_EQ(w.messages.last().kind, RecordedMessage::Ask);
    EXPECT_EQ(w.messages.last().text, "Excelの次の列が空のため、項目リストの語句がすべて消去されます。\r　メーカー（D列）\r　単位（F列）\r消去してインポートしますか？");
    EXPECT_EQ(w.listFiles(), lists);

    w.messages.answerYes();
    EXPECT_EQ(run.run(w.books), WordListImport::Result::Completed);
    const SettingsSlots s = w.sharedFile();
    EXPECT_EQ(s.value(5), "0");
    EXPECT_EQ(s.value(7), "0");
    EXPECT_EQ(s.value(3), "1");
    QByteArray maker;
    readWholeFile(w.d.pickListPath(4), maker);
    EXPECT_EQ(maker, QByteArray());
}

TEST_F(Imports, ALockedListFileStopsTheWordListImportBeforeAnythingIsWritten)
{
    w.existingLists({QStringList{"ボルト"}, {"M8"}, {"東洋"}, {"棚A"}, {"個"}});
    const QByteArray lists = w.listFiles();
    w.makeWordBook({QStringList{"a"}, {"b"}, {"c"}, {"d"}, {"e"}});
    // Another client is appending a word to list 4.
    FileLock other(w.d.pickListPath(4));
    ASSERT_TRUE(other.locked());
    WordListImport run(w.d, *w.office);
    EXPECT_EQ(run.run(w.books), WordListImport::Result::Failed);
    EXPECT_TRUE(w.messages.last().text.startsWith(w.d.pickListPath(4) + "\r　項目リストファイルを他のクライアントが使用中です。"));
    EXPECT_EQ(w.listFiles(), lists);
    EXPECT_TRUE(run.imported().isEmpty());
}

TEST_F(Imports, AListThatCannotBeWrittenStopsTheImportAndNoListChanges)
{
    w.existingLists({QStringList{"ボルト", "ナット"}, {"M8"}, {"東洋"}, {"棚A"}, {"個"}});
    // List 4's file cannot be replaced (a folder stands in its place).
    QFile::remove(w.d.pickListPath(4));
    ASSERT_TRUE(QDir().mkdir(w.d.pickListPath(4)));
    const QByteArray lists = w.listFiles();
    w.makeWordBook({QStringList{"a", "b", "c"}, {"d"}, {"e", "f"}, {"g"}, {"h"}});
    WordListImport run(w.d, *w.office);
    EXPECT_EQ(run.run(w.books), WordListImport::Result::Failed);
    EXPECT_TRUE(run.imported().isEmpty());
    EXPECT_EQ(w.messages.last().text, "項目リストのインポートを途中で止めました。\r　取り込んだリスト：なし"
                                      "\r　取り込んでいないリスト（元のまま）：品名（B列）、仕様（C列）、メーカー（D列）、保管場所（E列）、単位（F列）");
    EXPECT_EQ(w.listFiles(), lists) << "every list and every count as they were";
    EXPECT_EQ(QDir(w.data).entryList({"*.new", "*.commit", "*.lock"}, QDir::AllEntries | QDir::Hidden), QStringList());
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
        const LedgerRecord to = record(++k);
        for (int f = 0; f <= 10; ++f) EXPECT_EQ(to.field(f), from.field(f)) << "record " << n << " field " << f;
        for (int r = 1; r <= 2; ++r)
            for (int m = 1; m <= 15; ++m) EXPECT_EQ(to.cell(r, m), from.cell(r, m)) << "record " << n << " cell " << r << "," << m;
    }
    EXPECT_EQ(k, 30);
    EXPECT_EQ(w.sharedFile().value(9), original.sharedSettings.value(9));
    for (int list = 2; list <= 6; ++list) {
        EXPECT_EQ(w.sharedFile().value(list + 1), original.sharedSettings.value(list + 1)) << list;
        for (int j = 1; j <= int(original.sharedSettings.number(list + 1)); ++j)
            EXPECT_EQ(w.d.pickListTable.word(j, list), original.pickListTable.word(j, list)) << list << "/" << j;
    }
}
