// The item card: stock computation with its two refusals, stored forms of
// the computed values, the card's displays, and the card commands (copy,
// next card, clearing).
#include "ledger/item_card.h"
#include "ledger/ledger_session.h"
#include "ledger_screen.h"

#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::ledger;
using kpv::testing::LedgerWorld;

namespace {

struct CardWorld {
    LedgerWorld w{0};
    ItemCard card{w.d};
    CardWorld(bool decimal = false)
    {
        card.setLook(QuantityMode{decimal}, monthHeadings(QStringLiteral("2025/04")));
        card.blank();
        card.storeQuantity(8, QStringLiteral("10"));
        card.storeQuantity(9, QStringLiteral("5"));
        card.storeMonthCell(1, 1, QStringLiteral("5"));
    }
};

TEST(ItemCard, IssuesWithinStockAreStoredAndShown)
{
    CardWorld c;
    ASSERT_TRUE(c.card.storeMonthCell(2, 2, QStringLiteral("12")));
    const LedgerRecord &v = c.card.values();
    EXPECT_EQ(v.field(10), QStringLiteral("3"));
    EXPECT_EQ(v.cell(1, 13), QStringLiteral("5"));
    EXPECT_EQ(v.cell(2, 13), QStringLiteral("12"));
    EXPECT_EQ(c.card.fieldCell(9), QStringLiteral("3"));
    EXPECT_EQ(c.card.stockShade(), StockShade::LightBlue);
    EXPECT_EQ(c.card.monthCell(2, 13), QStringLiteral("12"));
    EXPECT_EQ(c.card.monthRow, 2);
    EXPECT_EQ(c.card.monthColumn, 2);
    EXPECT_EQ(c.w.d.changePending, 1);
    EXPECT_EQ(c.w.messages.count(), 0);
}

TEST(ItemCard, ShortageInTheMonthGoesBackToTheValuesBeforeTheEntry)
{
    CardWorld c;
    c.card.storeField(1, QStringLiteral("六角ボルト")); // typed on a new card, never stored
    ASSERT_TRUE(c.card.storeMonthCell(2, 2, QStringLiteral("12")));
    const LedgerRecord before = c.card.values();

    EXPECT_FALSE(c.card.storeMonthCell(2, 2, QStringLiteral("20")));
    ASSERT_EQ(c.w.messages.count(), 1);
    EXPECT_EQ(c.w.messages.last().title, QStringLiteral("登録確認"));
    EXPECT_EQ(c.w.messages.last().text,
              QStringLiteral("2025/05月 この数量では在庫数不足となります。\r入力以前の数値に戻します。　"));
    EXPECT_EQ(c.card.values(), before);
    EXPECT_EQ(c.card.fieldCell(0), QStringLiteral("六角ボルト"));
    EXPECT_EQ(c.card.monthCell(2, 2), QStringLiteral("12"));
    EXPECT_EQ(c.card.fieldCell(9), QStringLiteral("3"));
}

TEST(ItemCard, ShortageAtTheYearEndHasNoMonthHeading)
{
    CardWorld c;
    ASSERT_TRUE(c.card.storeMonthCell(2, 2, QStringLiteral("12")));
    ASSERT_TRUE(c.card.storeMonthCell(2, 5, QStringLiteral("3"))); // stock 0
    EXPECT_EQ(c.card.values().field(10), QStringLiteral("0"));
    EXPECT_EQ(c.card.fieldCell(9), QStringLiteral("0"));
    EXPECT_EQ(c.card.stockShade(), StockShade::Pink);
    const LedgerRecord before = c.card.values();

    // Month 3 itself still has stock 1, the year ends at -2.
    EXPECT_FALSE(c.card.storeMonthCell(2, 3, QStringLiteral("2")));
    EXPECT_EQ(c.w.messages.last().text, QStringLiteral(" この数量では在庫数不足となります。\r入力以前の数値に戻します。　"));
    EXPECT_EQ(c.card.values(), before);
}

TEST(ItemCard, StoredFormsOfValueAndRates)
{
    CardWorld c;
    ASSERT_TRUE(c.card.storeMonthCell(2, 2, QStringLiteral("12"))); // stock 3
    c.card.storeUnitPrice(QStringLiteral("0.3"));
    EXPECT_EQ(c.card.values().field(6), QStringLiteral("0"));
    EXPECT_EQ(c.card.fieldCell(5), QStringLiteral("0"));
    c.card.storeUnitPrice(QStringLiteral("12.5"));
    EXPECT_EQ(c.card.values().field(6), QStringLiteral("37.5"));
    EXPECT_EQ(c.card.fieldCell(5), QStringLiteral("38"));

    c.card.storePlan(1, QStringLiteral("3"));
    EXPECT_EQ(c.card.values().cell(1, 15), QStringLiteral("1666"));
    EXPECT_EQ(c.card.monthCell(1, 15), QStringLiteral("166.6"));
    // A plan of 0 leaves the rate as it was.
    c.card.storePlan(1, QStringLiteral("0"));
    EXPECT_EQ(c.card.values().cell(1, 15), QStringLiteral("1666"));
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
    c.card.storeMonthCell(1, 3, QStringLiteral("2.5"));
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
    EXPECT_FALSE(c.card.storeField(1, QStringLiteral("ボルト😀")));
    EXPECT_TRUE(c.w.messages.last().text.contains(QStringLiteral("😀")));
    // Month cells hold 7 bytes: a longer entry, or a total that would not fit.
    EXPECT_FALSE(c.card.storeMonthCell(1, 2, QStringLiteral("12345678")));
    EXPECT_EQ(c.card.values(), before);
    ASSERT_TRUE(c.card.storeMonthCell(1, 2, QStringLiteral("9999990")));
    const LedgerRecord fits = c.card.values();
    EXPECT_FALSE(c.card.storeMonthCell(1, 3, QStringLiteral("10")));
    EXPECT_EQ(c.card.values(), fits);
    EXPECT_EQ(c.w.messages.count(), 3);
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

TEST(CardCommands, CopyKeepsTheItemAndEmptiesItsMovements)
{
    Screen x;
    x.correct(9); // record 5
    x.w.messages.answerYes();
    x.s.copyCard();
    const ItemCard &c = x.s.card();
    EXPECT_EQ(c.editMode, EditMode::Copy);
    EXPECT_EQ(c.modeLabel, QStringLiteral("複 写"));
    EXPECT_EQ(c.currentRecordNo, 31);
    EXPECT_EQ(c.values().field(0), QStringLiteral("B-001"));
    EXPECT_EQ(c.values().field(5), QStringLiteral("850"));
    EXPECT_EQ(c.values().field(8), QStringLiteral("12"));
    for (int n : {6, 9, 10, 11, 13, 14}) EXPECT_EQ(c.values().field(n), QString()) << n;
    for (int m = 1; m <= 15; ++m) EXPECT_EQ(c.values().cell(2, m), QString()) << m;
    EXPECT_EQ(c.monthCell(2, 1), QString());
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

TEST(CardCommands, ClearCardKeepsTheSpareFields)
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

    x.correct(5);
    x.s.clearMovements();
    EXPECT_EQ(x.s.card().values().field(0), QStringLiteral("A-003"));
    EXPECT_EQ(x.s.card().values().cell(1, 1), QString());
    EXPECT_EQ(x.s.card().values().field(10), QString());
}

} // namespace
