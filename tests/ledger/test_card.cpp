// The item card through the way the screen enters values (the session's
// entry router): stock computation with its two refusals and the refused
// state shown while they are told, stored forms of the computed values,
// rates, the number rule of every number cell, and the card commands (copy,
// next card, clearing).
#include "ledger/item_card.h"
#include "ledger/ledger_session.h"
#include "card_keys.h"
#include "ledger_screen.h"

#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::ledger;
using kpv::testing::CardKeys;
using kpv::testing::LedgerWorld;

namespace {

// A new item's card on an empty ledger starting in April 2025: previous-year
// stock 10, proper stock 5, receipts 5 in the first month.
struct CardWorld {
    LedgerWorld w{0};
    LedgerSession s{w.d};
    CardKeys keys{s};
    const ItemCard &card = s.card();
    explicit CardWorld(bool decimal = false)
    {
        w.d.sharedSettings.set(9, QStringLiteral("2025/04"));
        w.d.sharedSettings.setSwitch(21, decimal);
        w.d.saveSharedSettings();
        s.open(QDate(2026, 1, 5));
        s.openNewCard();
        keys.field(7, QStringLiteral("10"));
        keys.field(8, QStringLiteral("5"));
        keys.month(1, 1, QStringLiteral("5"));
        w.messages.clear();
    }
};

TEST(ItemCard, IssuesWithinStockAreStoredAndShown)
{
    CardWorld c;
    ASSERT_TRUE(c.keys.month(2, 2, QStringLiteral("12")));
    const LedgerRecord &v = c.card.values();
    EXPECT_EQ(v.field(10), QStringLiteral("3"));
    EXPECT_EQ(v.cell(1, 13), QStringLiteral("5"));
    EXPECT_EQ(v.cell(2, 13), QStringLiteral("12"));
    EXPECT_EQ(c.card.fieldCell(9), QStringLiteral("3"));
    EXPECT_EQ(c.card.stockShade(), StockShade::LightBlue);
    EXPECT_EQ(c.card.monthCell(2, 13), QStringLiteral("12"));
    EXPECT_EQ(c.s.cardCells().monthCurrentCell(), std::make_pair(2, 2));
    EXPECT_EQ(c.w.d.changePending, 1);
    EXPECT_EQ(c.w.messages.count(), 0);
}

TEST(ItemCard, ShortageIsShownWhileToldThenTheCardGoesBack)
{
    CardWorld c;
    c.keys.text(0, QStringLiteral("六角ボルト")); // typed on a new card, never stored
    ASSERT_TRUE(c.keys.month(2, 2, QStringLiteral("12")));
    const LedgerRecord before = c.card.values();
    // What the window would paint while the message is up.
    QString shownStock;
    StockShade shownShade = StockShade::Window;
    int toldBefore = -1;
    c.s.card().setPainter([&] {
        shownStock = c.card.fieldCell(9);
        shownShade = c.card.stockShade();
        toldBefore = c.w.messages.count();
    });

    c.keys.month(2, 2, QStringLiteral("20"));
    ASSERT_EQ(c.w.messages.count(), 1);
    EXPECT_EQ(toldBefore, 0);
    EXPECT_EQ(shownStock, QStringLiteral("-5"));
    EXPECT_EQ(shownShade, StockShade::Pink);
    EXPECT_EQ(c.w.messages.last().title, QStringLiteral("登録確認"));
    EXPECT_EQ(c.w.messages.last().text,
              QStringLiteral("2025/05月 この数量では在庫数不足となります。\r入力以前の数値に戻します。　"));
    EXPECT_EQ(c.card.values(), before);
    EXPECT_EQ(c.card.fieldCell(0), QStringLiteral("六角ボルト"));
    EXPECT_EQ(c.card.monthCell(2, 2), QStringLiteral("12"));
    EXPECT_EQ(c.card.fieldCell(9), QStringLiteral("3"));
    EXPECT_EQ(c.card.stockShade(), StockShade::LightBlue);
}

TEST(ItemCard, ShortageAtTheYearEndHasNoMonthHeading)
{
    CardWorld c;
    ASSERT_TRUE(c.keys.month(2, 2, QStringLiteral("12")));
    ASSERT_TRUE(c.keys.month(2, 5, QStringLiteral("3"))); // stock 0
    EXPECT_EQ(c.card.values().field(10), QStringLiteral("0"));
    EXPECT_EQ(c.card.fieldCell(9), QStringLiteral("0"));
    EXPECT_EQ(c.card.stockShade(), StockShade::Pink);
    const LedgerRecord before = c.card.values();

    // Month 3 itself still has stock 1, the year ends at -2.
    c.keys.month(2, 3, QStringLiteral("2"));
    EXPECT_EQ(c.w.messages.last().text, QStringLiteral(" この数量では在庫数不足となります。\r入力以前の数値に戻します。　"));
    EXPECT_EQ(c.card.values(), before);
}

TEST(ItemCard, StoredFormsOfValueAndRates)
{
    CardWorld c(true);
    ASSERT_TRUE(c.keys.month(2, 2, QStringLiteral("12"))); // stock 3
    c.keys.field(4, QStringLiteral("0.3"));
    EXPECT_EQ(c.card.values().field(6), QStringLiteral("0"));
    EXPECT_EQ(c.card.fieldCell(5), QStringLiteral("0"));
    c.keys.field(4, QStringLiteral("12.5"));
    EXPECT_EQ(c.card.values().field(6), QStringLiteral("37.5"));
    EXPECT_EQ(c.card.fieldCell(5), QStringLiteral("37.5"));

    c.keys.month(1, 14, QStringLiteral("3"));
    EXPECT_EQ(c.card.values().cell(1, 15), QStringLiteral("1666"));
    EXPECT_EQ(c.card.monthCell(1, 15), QStringLiteral("166.6"));
    // Without a plan, or without a total, there is no rate.
    c.keys.month(1, 14, QStringLiteral("0"));
    EXPECT_EQ(c.card.values().cell(1, 15), QString());
    EXPECT_EQ(c.card.monthCell(1, 15), QString());
    c.keys.month(1, 14, QStringLiteral("3"));
    c.keys.month(2, 2, QString());
    c.keys.month(1, 1, QString());
    EXPECT_EQ(c.w.messages.count(), 0);
    EXPECT_EQ(c.card.values().cell(1, 13), QStringLiteral("0"));
    EXPECT_EQ(c.card.values().cell(1, 15), QString());
    EXPECT_EQ(c.card.monthCell(1, 15), QString());
    // A rate wider than its cell is held at the widest that fits.
    c.keys.month(1, 1, QStringLiteral("9999999"));
    c.keys.month(1, 14, QStringLiteral("0.1"));
    EXPECT_EQ(c.card.values().cell(1, 15), QStringLiteral("9999999"));
    EXPECT_EQ(c.card.monthCell(1, 15), QStringLiteral("999999.9"));
}

TEST(ItemCard, ZeroStockShownEmptyOnPinkWhenTheRecordIsShown)
{
    LedgerWorld w(QStringLiteral("ledger30"));
    LedgerSession s(w.d);
    s.open(QDate(2026, 1, 5));
    s.setListCell(9, 3); // record 5, stock 0
    s.openCorrectCard();
    EXPECT_EQ(s.card().values().field(10), QStringLiteral("0"));
    EXPECT_EQ(s.card().fieldCell(9), QString());
    EXPECT_EQ(s.card().stockShade(), StockShade::Pink);
    // The stock cell's explanation then shows the stored text.
    s.explainStockCell();
    EXPECT_EQ(s.card().fieldCell(9), QStringLiteral("0"));
}

TEST(ItemCard, DecimalModeDisplays)
{
    CardWorld c(true);
    c.keys.month(1, 3, QStringLiteral("2.5"));
    EXPECT_EQ(c.card.monthCell(1, 3), QStringLiteral("2.5"));
    EXPECT_EQ(c.card.monthCell(1, 2), QString());
    EXPECT_EQ(c.card.monthCell(1, 13), QStringLiteral("7.5"));
    EXPECT_EQ(c.card.fieldCell(9), QStringLiteral("17.5"));
    EXPECT_EQ(c.card.fieldCell(7), QStringLiteral("10.0"));
}

TEST(ItemCard, EntriesTheRecordCannotHoldAreRefusedWhole)
{
    CardWorld c;
    const LedgerRecord before = c.card.values();
    EXPECT_FALSE(c.keys.text(0, QStringLiteral("ボルト😀")));
    EXPECT_TRUE(c.w.messages.last().text.contains(QStringLiteral("😀")));
    // Month cells hold 7 bytes: a longer entry, or a total that would not fit.
    EXPECT_FALSE(c.keys.month(1, 2, QStringLiteral("12345678")));
    EXPECT_EQ(c.w.messages.last().text, QStringLiteral("「12345678」は入力枠に入りません。\r　数量は7桁までです。"));
    EXPECT_EQ(c.card.values(), before);
    ASSERT_TRUE(c.keys.month(1, 2, QStringLiteral("9999990")));
    const LedgerRecord fits = c.card.values();
    c.keys.month(1, 3, QStringLiteral("10"));
    EXPECT_EQ(c.w.messages.last().text, QStringLiteral("数量は７桁までです。\r入力以前の数値に戻します。　"));
    EXPECT_EQ(c.card.values(), fits);
    EXPECT_EQ(c.w.messages.count(), 3);
}

// Every number cell takes a number only: "-", digits with or without
// thousands separators, one "." in decimal mode, full-width forms as
// half-width ones. Anything else is refused naming the text.
TEST(ItemCard, NumberEntries)
{
    struct Case {
        const char *typed;
        bool decimal;
        const char *stored; // nullptr: refused
    };
    // The rule's other cases are storage's (numberEntry); these are the
    // faults seen on the card.
    const Case cases[] = {
        {"1,200", false, "1200"}, {"1,200", true, "1200"},   {"１２", false, "12"},  {"１２", true, "12"},
        {"9E999", false, nullptr}, {"9E999", true, nullptr}, {"-3", false, "-3"},    {"-3", true, "-3"},
        {"0.5", false, nullptr},  {"0.5", true, "0.5"},      {"", false, ""},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(::testing::Message() << k.typed << (k.decimal ? " decimal" : " integer"));
        CardWorld c(k.decimal);
        const LedgerRecord before = c.card.values();
        // A price (field 5), a month (cell (1, 4)) and a plan (cell (2, 14)).
        const bool price = c.keys.field(4, QString::fromUtf8(k.typed));
        const bool month = c.keys.month(1, 4, QString::fromUtf8(k.typed));
        const bool plan = c.keys.month(2, 14, QString::fromUtf8(k.typed));
        if (k.stored) {
            EXPECT_TRUE(price && month && plan);
            EXPECT_EQ(c.card.values().field(5), QString::fromUtf8(k.stored));
            EXPECT_EQ(c.card.values().cell(1, 4), QString::fromUtf8(k.stored));
            EXPECT_EQ(c.card.values().cell(2, 14), QString::fromUtf8(k.stored));
        } else {
            EXPECT_FALSE(price || month || plan);
            EXPECT_EQ(c.card.values(), before);
            ASSERT_EQ(c.w.messages.count(), 3);
            EXPECT_TRUE(c.w.messages.last().text.startsWith(QStringLiteral("「") + QString::fromUtf8(k.typed) + QStringLiteral("」は数値として登録できません。")));
        }
    }
    // "1,200" as a price counts 1,200: the value is computed from it.
    CardWorld c;
    c.keys.field(4, QStringLiteral("1,200"));
    EXPECT_EQ(c.card.values().field(6), QStringLiteral("18000"));
    EXPECT_EQ(c.card.fieldCell(4), QStringLiteral("1,200"));
}

// ---- Card commands on the example ledger ------------------------------------

using Screen = kpv::testing::LedgerScreen;

TEST(CardCommands, CorrectFromAnIssuesLineOpensANewCard)
{
    Screen x;
    x.correct(4);
    EXPECT_EQ(x.s.card().editMode, EditMode::New);
    EXPECT_EQ(x.s.card().modeLabel, QStringLiteral("新 規"));
    EXPECT_EQ(x.s.card().recordNoText(), QStringLiteral(" No 31"));
    EXPECT_EQ(x.s.card().values(), LedgerRecord());
}

TEST(CardCommands, CopyKeepsTheItemEmptiesItsMovementsAndComputesItsStock)
{
    Screen x;
    x.correct(9); // record 5: previous-year stock 12, price 850, stock 0
    x.w.messages.answerYes();
    x.s.copyCard();
    const ItemCard &c = x.s.card();
    EXPECT_EQ(c.editMode, EditMode::Copy);
    EXPECT_EQ(c.modeLabel, QStringLiteral("複 写"));
    EXPECT_EQ(c.currentRecordNo, 31);
    EXPECT_EQ(c.values().field(0), QStringLiteral("B-001"));
    EXPECT_EQ(c.values().field(5), QStringLiteral("850"));
    EXPECT_EQ(c.values().field(8), QStringLiteral("12"));
    for (int n : {9, 11, 13, 14}) EXPECT_EQ(c.values().field(n), QString()) << n;
    for (int m = 1; m <= 15; ++m) EXPECT_EQ(c.values().cell(2, m), QString()) << m;
    EXPECT_EQ(c.monthCell(2, 1), QString());
    // Without movements the stock is the previous year's, and so is its value.
    EXPECT_EQ(c.values().field(10), QStringLiteral("12"));
    EXPECT_EQ(c.values().field(6), QStringLiteral("10200"));
    EXPECT_EQ(c.fieldCell(9), QStringLiteral("12"));
    EXPECT_FALSE(c.changed());
    ASSERT_TRUE(x.s.registerCard());
    EXPECT_EQ(x.w.stored(31).field(10), QStringLiteral("12"));
}

TEST(CardCommands, CopyAnsweredNoStaysCorrectingUnderTheCopyLabel)
{
    Screen x;
    x.correct(9);
    x.w.messages.answerNo();
    x.s.copyCard();
    EXPECT_EQ(x.s.card().editMode, EditMode::Correct);
    EXPECT_EQ(x.s.card().modeLabel, QStringLiteral("複 写"));
    EXPECT_EQ(x.s.card().currentRecordNo, 5);
    // From a new card there is nothing to copy.
    x.s.openNewCard();
    x.s.copyCard();
    EXPECT_EQ(x.w.messages.last().text, QStringLiteral("新規画面では複写機能は実行できません。　"));
    EXPECT_EQ(x.s.card().editMode, EditMode::New);
}

TEST(CardCommands, NextCardWalksTheListAndWraps)
{
    Screen x;
    x.correct(21); // record 11
    x.s.nextCard();
    EXPECT_EQ(x.s.listRow(), 23);
    EXPECT_EQ(x.s.card().currentRecordNo, 12);
    x.s.nextCard();
    EXPECT_EQ(x.s.listRow(), 1);
    EXPECT_EQ(x.s.card().currentRecordNo, 1);
    EXPECT_EQ(x.s.card().values().field(0), QStringLiteral("A-001"));

    // On the last page (25..30) the step past item 30 stays on the card.
    x.s.nextPage();
    x.s.nextPage();
    x.correct(11); // record 30
    x.s.nextCard();
    EXPECT_EQ(x.s.listRow(), 23);
    EXPECT_EQ(x.s.card().currentRecordNo, 30);
}

TEST(CardCommands, ClearingKeepsTheSpareFieldsAndComputesTheStockLeft)
{
    Screen x;
    x.correct(5); // record 3
    const LedgerRecord before = x.s.card().values();
    x.s.clearCard();
    const LedgerRecord &v = x.s.card().values();
    for (int n : {0, 1, 5, 8, 9, 10, 11, 14}) EXPECT_EQ(v.field(n), QString()) << n;
    for (int n : {12, 13, 15, 16, 17, 18, 19, 20})
        EXPECT_EQ(QByteArray(v.data() + 28 * n, 28), QByteArray(before.data() + 28 * n, 28)) << n;
    EXPECT_EQ(v.field(12), QStringLiteral("SPARE-12"));
    EXPECT_EQ(x.s.card().itemNumberText(), QString());
    EXPECT_EQ(x.s.listRow(), 1);

    // Record 3: previous-year stock 10, price 35. Without its movements the
    // stock is 10 and worth 350, as registered.
    x.w.messages.answerYes(); // discard the cleared card
    x.correct(5);
    x.s.clearMovements();
    EXPECT_EQ(x.s.card().values().field(0), QStringLiteral("A-003"));
    EXPECT_EQ(x.s.card().values().cell(1, 1), QString());
    EXPECT_EQ(x.s.card().values().field(10), QStringLiteral("10"));
    EXPECT_EQ(x.s.card().values().field(6), QStringLiteral("350"));
    EXPECT_EQ(x.s.card().fieldCell(9), QStringLiteral("10"));
    ASSERT_TRUE(x.s.registerCard());
    EXPECT_EQ(x.w.stored(3).field(10), QStringLiteral("10"));
    EXPECT_EQ(x.w.stored(3).field(6), QStringLiteral("350"));
}

} // namespace
