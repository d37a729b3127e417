// The card's entry tools without a screen: click routing, the text box's
// Enter, word lists, the start-of-use entries, the keypad and the write-back.
#include "ledger/calculator.h"
#include "ledger/entry_panels.h"
#include "ledger/entry_router.h"
#include "ledger/pick_list_entries.h"
#include "ledger/start_of_use.h"
#include "storage/dolvb.h"

#include "entry_fake_card.h"
#include "scripted_messages.h"
#include "temp_folder.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>

using namespace kpv;
using namespace kpv::ledger;
using namespace kpv::testing;

namespace {

struct Entry : ::testing::Test {
    QTemporaryDir tmp;
    ScriptedMessages messages;
    RecordingBusyPointer pointer;
    Dolvb d{messages, pointer};
    FakeCard card;
    EntryRouter router{d, card};

    void SetUp() override { d.clientFolder = d.dataFolder = withSlash(tmp.path()); }
    void decimals(bool on) { d.sharedSettings.setSwitch(21, on); }
    // A ledger of the given item numbers, with the index filled for them.
    void ledgerOf(const QStringList &numbers)
    {
        ASSERT_TRUE(d.openLedger());
        for (const QString &n : numbers) {
            LedgerRecord rec;
            rec.setField(0, n);
            rec.setLineEnd();
            const int at = d.appendRecord(rec);
            ASSERT_GT(at, 0);
            d.indexTable.set(at, 1, n);
        }
    }
};

TEST_F(Entry, FieldGridRoutesEachColumn)
{
    card.record.setField(1, QStringLiteral("ボルト"));
    card.record.setField(5, QStringLiteral("1500"));
    card.record.setField(10, QStringLiteral("7"));
    card.record.setField(11, QStringLiteral("2024/04"));
    struct Case { int col; EntryStep step; int target; int list; const char *caption; const char *cell; };
    const Case cases[] = {
        {0, EntryStep::Text, 17, 2, "品　名", "ボルト"}, {1, EntryStep::Text, 18, 3, "仕　様", ""},
        {2, EntryStep::Text, 19, 4, "メーカー名", ""}, {3, EntryStep::Text, 20, 5, "保管場所", ""},
        {4, EntryStep::Calculator, 101, -1, "", "1500"}, {5, EntryStep::Nothing, -1, -1, "", nullptr},
        {6, EntryStep::Text, 21, 6, "単位", ""}, {7, EntryStep::Calculator, 101, -1, "", ""},
        {8, EntryStep::Calculator, 101, -1, "", ""}, {9, EntryStep::Nothing, -1, -1, "", "7"},
        {10, EntryStep::StartOfUse, -1, -1, "", "2024/04"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.col);
        d.entryTarget = 14;
        d.currentList = 0;
        card.fields.clear();
        messages.clear();
        const EntryStart s = router.startFieldEntry(c.col);
        EXPECT_EQ(s.step, c.step);
        EXPECT_EQ(router.state().cardColumn, c.col);
        EXPECT_EQ(d.entryTarget, c.target < 0 ? 14 : c.target);
        EXPECT_EQ(d.currentList, c.list < 0 ? 0 : c.list);
        EXPECT_EQ(s.caption, QString::fromUtf8(c.caption));
        if (c.cell) {
            EXPECT_EQ(card.fieldCellText(c.col), QString::fromUtf8(c.cell));
        } else {
            EXPECT_TRUE(card.fields.empty());
        }
        // Only the stock cell explains itself.
        EXPECT_EQ(messages.count(), c.col == 9 ? 1 : 0);
    }
    router.startFieldEntry(0);
    EXPECT_EQ(router.state().entryText, QStringLiteral("ボルト"));
}

TEST_F(Entry, MonthGridRoutesMonthsAndPlansAndRefusesTheRest)
{
    struct Case { int row, col, target; };
    const Case cases[] = {{1, 1, 102}, {2, 1, 103}, {1, 12, 102}, {2, 12, 103}, {0, 5, 103},
                          {1, 14, 104}, {2, 14, 105}, {1, 0, 0}, {2, 13, 0}, {1, 15, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.col);
        d.entryTarget = 0;
        messages.clear();
        const EntryStart s = router.startMonthEntry(c.row, c.col);
        EXPECT_EQ(d.entryTarget, c.target);
        EXPECT_EQ(router.state().monthColumn, c.col);
        EXPECT_EQ(s.step, c.target ? EntryStep::Calculator : EntryStep::Refused);
        EXPECT_EQ(messages.count(), c.target ? 0 : 1);
        if (!c.target) {
            EXPECT_EQ(messages.last().text, QStringLiteral("  入力枠ではありません。　"));
        }
    }
    card.record.setField(0, QStringLiteral("AB-12"));
    EXPECT_EQ(router.startItemNumberEntry().step, EntryStep::Calculator);
    EXPECT_EQ(d.entryTarget, 106);
    EXPECT_EQ(router.calculatorStart(), QStringLiteral("AB-12"));
}

TEST_F(Entry, EnterStoresAndCyclesTheTextColumns)
{
    for (int c : {0, 1, 2, 3, 6}) card.fields[c] = QStringLiteral("cell%1").arg(c);
    struct Case { int col; int field; int next; };
    for (const Case c : {Case{0, 1, 1}, Case{1, 2, 2}, Case{2, 3, 3}, Case{3, 4, 0}, Case{6, 7, 0}}) {
        SCOPED_TRACE(c.col);
        card.fieldCol = c.col;
        d.changePending = 0;
        const auto next = router.textEnter(QStringLiteral("  値%1  ").arg(c.col));
        ASSERT_TRUE(next.has_value());
        EXPECT_EQ(card.record.field(c.field), QStringLiteral("値%1").arg(c.col));
        EXPECT_EQ(card.fieldCellText(c.col), QStringLiteral("値%1").arg(c.col));
        EXPECT_EQ(card.fieldCol, c.next);
        EXPECT_EQ(*next, card.fieldCellText(c.next));
        EXPECT_EQ(d.changePending, 1);
    }
    // Other columns: nothing.
    const LedgerRecord before = card.record;
    for (int col : {4, 5, 7, 8, 9, 10}) {
        card.fieldCol = col;
        EXPECT_FALSE(router.textEnter(QStringLiteral("99")).has_value());
    }
    EXPECT_EQ(card.record, before);

    // Over-long text is cut on whole characters; text code page 932 cannot
    // hold is refused by name and nothing moves.
    card.fieldCol = 0;
    router.textEnter(QStringLiteral("あいうえおかきくけこさしすせそ"));  // 30 bytes
    EXPECT_EQ(card.record.field(1), QStringLiteral("あいうえおかきくけこさしすせ"));
    EXPECT_EQ(card.fieldCellText(0), card.record.field(1));
    card.fieldCol = 0;
    EXPECT_FALSE(router.textEnter(QStringLiteral("ナット😀")).has_value());
    EXPECT_EQ(card.record.field(1), QStringLiteral("あいうえおかきくけこさしすせ"));
    EXPECT_EQ(card.fieldCol, 0);
    EXPECT_TRUE(messages.last().text.contains(QStringLiteral("😀")));
}

TEST_F(Entry, WordListOf1500WordsPicksByLeadingNumber)
{
    d.currentList = 3;
    d.sharedSettings.set(4, QStringLiteral("1500"));
    for (int i = 1; i <= 10010; ++i) d.pickListTable.setWord(i, 3, QStringLiteral("語%1 ").arg(i));
    const QStringList entries = router.pickListEntries();
    ASSERT_EQ(entries.size(), 1500);
    EXPECT_EQ(entries[8], QStringLiteral("9    語9 "));
    EXPECT_EQ(entries[9], QStringLiteral("10   語10 "));
    EXPECT_EQ(entries[99], QStringLiteral("100   語100 "));
    EXPECT_EQ(entries[999], QStringLiteral("1000  語1000 "));
    router.startFieldEntry(1);  // the item's 仕様 field: target 18, list 3
    for (int n : {9, 10, 100, 1000, 1500}) {
        router.pickWord(entries[n - 1]);
        EXPECT_EQ(card.record.field(2), QStringLiteral("語%1").arg(n));
        EXPECT_EQ(card.fieldCellText(1), QStringLiteral("語%1").arg(n));
        EXPECT_EQ(router.state().entryText, QStringLiteral("語%1").arg(n));
        EXPECT_EQ(router.state().pickedWord, 0);
    }
    // Past 9999 the first four characters would name word 1000.
    router.pickWord(pickListEntry(10005, QStringLiteral("語10005")));
    EXPECT_EQ(card.record.field(2), QStringLiteral("語10005"));
    EXPECT_EQ(messages.count(), 0);

    // An empty word: a notice naming the field, field and cell emptied.
    d.pickListTable.setWord(7, 3, QStringLiteral("   "));
    router.pickWord(entries[6]);
    EXPECT_EQ(messages.last().title, QStringLiteral("在庫品台帳確認"));
    EXPECT_EQ(messages.last().text, QStringLiteral("仕様が入力されていません。"));
    EXPECT_EQ(card.record.field(2), QString());
    EXPECT_EQ(card.fieldCellText(1), QString());
    router.startFieldEntry(0);
    router.pickWord(entries[6]);
    EXPECT_EQ(messages.last().text, QStringLiteral("品名が入力されていません。"));
}

TEST_F(Entry, AppendRefusesDuplicatesAfterCleaningAndUnstorableWords)
{
    d.sharedSettings.set(3, QStringLiteral("1"));
    d.pickListTable.setWord(1, 2, QStringLiteral("ボルト"));
    ASSERT_TRUE(d.savePickLists());
    ASSERT_TRUE(d.saveSharedSettings());
    router.startFieldEntry(0);  // list 2

    router.state().entryText = QStringLiteral("  ボルト  ");
    messages.answerYes();
    EXPECT_FALSE(router.appendWord());
    EXPECT_TRUE(messages.last().text.contains(QStringLiteral("同じ語句")));

    for (const QString &bad : {QStringLiteral("M8\"ナット"), QStringLiteral("ナット😀")}) {
        messages.clear();
        router.state().entryText = bad;
        EXPECT_FALSE(router.appendWord());
        ASSERT_EQ(messages.count(), 1);  // refused before any question
        EXPECT_TRUE(messages.last().text.contains(bad.contains(u'"') ? QStringLiteral("「\"」") : QStringLiteral("「😀」")));
    }
    EXPECT_EQ(d.pickListTable.word(2, 2), QString());

    messages.clear();
    router.state().entryText = QStringLiteral(" ナット ");
    messages.answerYes();
    EXPECT_TRUE(router.appendWord());
    EXPECT_EQ(d.pickListTable.word(2, 2), QStringLiteral("ナット"));
    EXPECT_EQ(router.wordCount(), 2);
}

TEST_F(Entry, StartOfUseChooserAndPanelBounds)
{
    const QStringList e = startOfUseEntries(2025);
    ASSERT_EQ(e.size(), 144);
    EXPECT_EQ(e.front(), QStringLiteral("2015/01"));
    EXPECT_EQ(e[9], QStringLiteral("2015/10"));
    EXPECT_EQ(e.back(), QStringLiteral("2026/12"));
    router.chooseStartOfUse(e[20]);
    EXPECT_EQ(card.record.field(11), QStringLiteral("2016/09"));
    EXPECT_EQ(card.fieldCellText(10), QStringLiteral("2016/09"));
    router.cancelStartOfUse();
    EXPECT_EQ(card.record.field(11), QString());
    EXPECT_EQ(card.fieldCellText(10), QString());

    EXPECT_EQ(cardPanelPosition({0, 0}, PanelMove::Button), QPoint(500, 900));
    EXPECT_EQ(cardPanelPosition({20000, 8639}, PanelMove::Button), QPoint(14160, 8639));
    EXPECT_EQ(cardPanelPosition({100, 8640}, PanelMove::Button), QPoint(100, 8040));
    EXPECT_EQ(cardPanelPosition({100, 8040}, PanelMove::Drop), QPoint(100, 8040));
    EXPECT_EQ(cardPanelPosition({100, 8039}, PanelMove::Drop), QPoint(100, 8039));
    EXPECT_EQ(narrowPanelPosition({-5, -5}, PanelMove::Drop), QPoint(500, 0));
}

TEST_F(Entry, KeypadLayout)
{
    // 40 distinct keys inside the window, on their 480-twip places.
    for (bool decimal : {true, false}) {
        const auto keys = Calculator::keyLayout(decimal);
        std::set<int> indexes;
        for (const auto &k : keys) {
            indexes.insert(k.index);
            EXPECT_GE(k.left, 120);
            EXPECT_LE(k.left + k.width, 6375) << k.caption.toStdString();
        }
        EXPECT_EQ(indexes.size(), 40u);
        EXPECT_EQ(*indexes.rbegin(), 39);
    }
    EXPECT_EQ(Calculator::caption(31), QStringLiteral("S"));
    EXPECT_EQ(Calculator::caption(38), QStringLiteral(","));
}

TEST_F(Entry, WriteBackStoresShowsAndRecomputes)
{
    struct Case { int target; int col; int month; int field; int row; int slot; const char *then; };
    const Case cases[] = {
        {101, 4, 0, 5, 0, 0, "value"}, {101, 7, 3, 8, 0, 0, "stock 3"}, {101, 8, 14, 9, 0, 0, "stock 0"},
        {102, 0, 5, 0, 1, 5, "stock 5"}, {103, 0, 12, 0, 2, 12, "stock 12"},
        {104, 0, 14, 0, 1, 14, "rates"}, {105, 0, 14, 0, 2, 14, "rates"},
    };
    for (bool decimal : {false, true}) {
        decimals(decimal);
        for (const Case &c : cases) {
            SCOPED_TRACE(c.target * 100 + c.col);
            card = FakeCard();
            d.entryTarget = c.target;
            router.state().cardColumn = c.col;
            router.state().monthColumn = c.month;
            // Typed with a separator (not kept); a decimal only in decimal mode.
            ASSERT_TRUE(router.writeBack(decimal ? QStringLiteral(" 12,345.5 ") : QStringLiteral(" 12,345 ")));
            const QString stored = decimal ? QStringLiteral("12345.5") : QStringLiteral("12345");
            const QString shown = decimal ? QStringLiteral("12,345.5") : QStringLiteral("12,345");
            if (c.field) {
                EXPECT_EQ(card.record.field(c.field), stored);
                EXPECT_EQ(card.fieldCellText(c.col), shown);
                EXPECT_EQ(card.fieldCol, c.col);
            } else {
                EXPECT_EQ(card.record.cell(c.row, c.slot), stored);
                EXPECT_EQ(card.monthCellText(c.row, c.slot), shown);
            }
            EXPECT_EQ(card.recomputed, QStringList{QString::fromUtf8(c.then)});
            EXPECT_EQ(card.entries, 1);
            // "取消" then "決 定": empty text, empty cell.
            card.recomputed.clear();
            ASSERT_TRUE(router.writeBack(QString()));
            EXPECT_EQ(c.field ? card.record.field(c.field) : card.record.cell(c.row, c.slot), QString());
            EXPECT_EQ(c.field ? card.fieldCellText(c.col) : card.monthCellText(c.row, c.slot), QString());
            // A number longer than a month cell is refused whole, not cut.
            if (!c.field) {
                card.recomputed.clear();
                EXPECT_FALSE(router.writeBack(QStringLiteral("12345678")));
                EXPECT_EQ(card.record.cell(c.row, c.slot), QString());
                EXPECT_TRUE(card.recomputed.isEmpty());
                EXPECT_EQ(messages.last().text, QStringLiteral("「12345678」は入力枠に入りません。\r　数量は7桁までです。"));
            }
        }
    }
    // A number starts from its stored text, so an unchanged value survives.
    decimals(false);
    card = FakeCard();
    card.record.setCell(2, 4, QStringLiteral("1234"));
    card.months[{2, 4}] = QStringLiteral("1,234");
    router.startMonthEntry(2, 4);
    const QString start = router.calculatorStart();
    EXPECT_EQ(card.monthCurrent, std::make_pair(2, 4));
    ASSERT_TRUE(router.writeBack(start));
    EXPECT_EQ(card.record.cell(2, 4), QStringLiteral("1234"));
    EXPECT_EQ(card.monthCellText(2, 4), QStringLiteral("1,234"));
    // Text the code page cannot hold is refused; the card stays.
    EXPECT_FALSE(router.writeBack(QStringLiteral("1①😀")));
    EXPECT_EQ(card.record.cell(2, 4), QStringLiteral("1234"));
    EXPECT_TRUE(messages.last().text.contains(QStringLiteral("😀")));
}

TEST_F(Entry, ItemNumberStoredAsKeyedAndDuplicateQuestion)
{
    ledgerOf({QStringLiteral("P-100"), QStringLiteral("AB-12-3"), QStringLiteral("Z9")});
    // A new card: a fresh number goes in without a question.
    card.mode = 0;
    card.record.setField(0, QStringLiteral("OLD"));
    router.startItemNumberEntry();
    ASSERT_TRUE(router.writeBack(QStringLiteral("AB-12-4")));
    EXPECT_EQ(card.record.field(0), QStringLiteral("AB-12-4"));
    EXPECT_EQ(card.itemNumber, QStringLiteral("AB-12-4 "));
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(card.recomputed.last(), QStringLiteral("stock 0"));

    // A duplicate: Yes keeps the previous number, No takes the duplicate.
    messages.answerYes();
    router.writeBack(QStringLiteral("AB-12-3"));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().kind, RecordedMessage::Ask);
    EXPECT_EQ(messages.last().text, QStringLiteral(" 2 項目に同一在庫品Noがあります。\r入力在庫品NOをを修修正目に戻します。　"));
    EXPECT_EQ(card.record.field(0), QStringLiteral("AB-12-4"));
    EXPECT_EQ(card.itemNumber, QStringLiteral("AB-12-4 "));
    messages.answerNo();
    router.writeBack(QStringLiteral("AB-12-3"));
    EXPECT_EQ(card.record.field(0), QStringLiteral("AB-12-3"));
    EXPECT_EQ(card.itemNumber, QStringLiteral("AB-12-3 "));

    // Correcting record 2: its own number is no duplicate, record 1's is.
    messages.clear();
    card.mode = 1;
    card.number = 2;
    d.currentRecordNo = 30;  // the list read another record meanwhile
    router.writeBack(QStringLiteral("AB-12-3"));
    EXPECT_EQ(messages.count(), 0);
    messages.answerNo();
    router.writeBack(QStringLiteral("P-100"));
    EXPECT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(QStringLiteral(" 1 項目")));
}

} // namespace
