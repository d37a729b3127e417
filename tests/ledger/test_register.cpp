// Registering the card: the card's own values reach the ledger (not what a
// page move left in the buffer), new items go to the true end, corrections
// ask before overwriting another client's change, refusals write nothing,
// and the screen shows the new state afterwards.
#include "ledger_screen.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::ledger;
using kpv::testing::LedgerWorld;

namespace {

using Screen = kpv::testing::LedgerScreen;

TEST(Register, AfterAPageMoveWritesTheCardsValues)
{
    Screen x;
    x.correct(3); // record 2: previous 40, receipts 5, issues 2 + 4
    ASSERT_TRUE(x.s.card().storeMonthCell(1, 2, QStringLiteral("10")));
    x.s.nextPage(); // reads records 13..24 into the buffer
    const LedgerRecord record24 = x.w.stored(24);
    ASSERT_TRUE(x.s.registerCard());

    const LedgerRecord r2 = x.w.stored(2);
    EXPECT_EQ(r2.field(0), QStringLiteral("A-002"));
    EXPECT_EQ(r2.cell(1, 2), QStringLiteral("10"));
    EXPECT_EQ(r2.field(10), QStringLiteral("49"));
    EXPECT_EQ(r2.field(6), QStringLiteral("882"));
    EXPECT_TRUE(r2.hasLineEnd());
    EXPECT_EQ(x.w.stored(24), record24);
    EXPECT_EQ(x.w.count(), 30);

    // The screen shows the new state: total, index row, card still correcting.
    EXPECT_EQ(x.s.totalText(), QStringLiteral("266,457"));
    EXPECT_EQ(x.w.d.indexTable.value(2, 5), QStringLiteral("882"));
    EXPECT_EQ(x.s.card().editMode, EditMode::Correct);
    EXPECT_EQ(x.s.card().currentRecordNo, 2);
    EXPECT_TRUE(x.s.cardOpen());
    EXPECT_EQ(x.s.page().recordNoAt(1), 13); // the page shown stays
}

TEST(Register, ACorrectionKeepsBytesNobodyEdited)
{
    Screen x;
    x.correct(5); // record 3 with its spare fields
    const QByteArray before = x.w.stored(3).bytes();
    ASSERT_TRUE(x.s.card().storePlan(2, QStringLiteral("24")));
    ASSERT_TRUE(x.s.registerCard());
    const QByteArray after = x.w.stored(3).bytes();
    EXPECT_EQ(after.mid(28 * 12, 28 * 9), before.mid(28 * 12, 28 * 9));
    EXPECT_EQ(x.w.stored(3).cell(2, 15), QStringLiteral("500"));
}

TEST(Register, NewItemWhileAnotherClientAppendsKeepsBoth)
{
    Screen x;
    x.s.openNewCard();
    EXPECT_EQ(x.s.card().recordNoText(), QStringLiteral(" No 31"));
    x.s.card().storeField(0, QStringLiteral("NEW-1"));
    x.s.card().storeQuantity(8, QStringLiteral("4"));

    LedgerRecord other;
    other.setField(0, QStringLiteral("OTHER"));
    ASSERT_EQ(x.w.otherWrites(other), 31);

    ASSERT_TRUE(x.s.registerCard());
    EXPECT_EQ(x.w.count(), 32);
    EXPECT_EQ(x.w.stored(31).field(0), QStringLiteral("OTHER"));
    EXPECT_EQ(x.w.stored(32).field(0), QStringLiteral("NEW-1"));
    EXPECT_EQ(x.w.stored(32).field(10), QStringLiteral("4"));
    EXPECT_EQ(x.s.card().currentRecordNo, 32);
    EXPECT_EQ(x.s.card().recordNoText(), QStringLiteral(" No 32"));
    EXPECT_EQ(x.s.card().modeLabel, QStringLiteral("訂 正"));
    EXPECT_EQ(x.s.countText(), QStringLiteral("総数 32"));
    EXPECT_EQ(x.w.d.indexTable.value(32, 1), QStringLiteral("NEW-1"));

    // Registering again corrects the same record, nothing is appended.
    x.s.card().storeField(1, QStringLiteral("名前"));
    ASSERT_TRUE(x.s.registerCard());
    EXPECT_EQ(x.w.count(), 32);
    EXPECT_EQ(x.w.stored(32).field(1), QStringLiteral("名前"));
}

TEST(Register, CopyIsAppended)
{
    Screen x;
    x.correct(9); // record 5
    x.w.messages.answerYes();
    x.s.copyCard();
    ASSERT_TRUE(x.s.registerCard());
    EXPECT_EQ(x.w.count(), 31);
    EXPECT_EQ(x.w.stored(31).field(0), QStringLiteral("B-001"));
    EXPECT_EQ(x.w.stored(5).field(10), QStringLiteral("0")); // the original untouched
}

TEST(Register, AnotherClientsChangeIsOverwrittenOnlyWhenTheUserSaysSo)
{
    for (bool yes : {false, true}) {
        Screen x;
        x.correct(11); // record 6
        x.s.card().storeField(2, QStringLiteral("MINE"));
        LedgerRecord theirs = x.w.stored(6);
        theirs.setField(2, QStringLiteral("THEIRS"));
        x.w.otherWrites(theirs, 6);

        x.w.messages.answer(yes);
        EXPECT_EQ(x.s.registerCard(), yes);
        ASSERT_EQ(x.w.messages.last().kind, kpv::testing::RecordedMessage::Ask);
        EXPECT_EQ(x.w.stored(6).field(2), yes ? QStringLiteral("MINE") : QStringLiteral("THEIRS"));
    }
}

TEST(Register, RefusalsWriteNothing)
{
    struct Case {
        const char *what;
        std::function<void(Screen &)> setUp;
    };
    const Case cases[] = {
        {"view-only client", [](Screen &x) { x.w.d.clientSettings.set(19, QStringLiteral("1")); }},
        {"ledger at capacity", [](Screen &x) { x.w.d.ledgerCapacity = 31; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Screen x;
        const QByteArray before = x.ledgerBytes();
        x.s.openNewCard();
        x.s.card().storeField(0, QStringLiteral("NEW-1"));
        c.setUp(x);
        const int told = x.w.messages.count();
        EXPECT_FALSE(x.s.registerCard());
        EXPECT_GT(x.w.messages.count(), told);
        EXPECT_EQ(x.ledgerBytes(), before);
    }
}

TEST(Register, BackupForAClientThatAskedForIt)
{
    Screen x;
    x.w.d.clientSettings.set(18, QStringLiteral("1"));
    x.s.open(QDate(2026, 1, 5));
    EXPECT_TRUE(x.s.backupShown());
    QDir().mkpath(x.w.d.clientFolder + QStringLiteral("原本Excel"));
    x.correct(1);
    x.s.card().storeField(3, QStringLiteral("メーカー"));
    ASSERT_TRUE(x.s.registerCard());
    EXPECT_TRUE(x.s.backupDone());
    QFile copy(x.w.d.clientFolder + QStringLiteral("原本Excel/Ma在庫品.dat"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), x.ledgerBytes());
    // The next command resets the indicator.
    x.s.nextPage();
    EXPECT_FALSE(x.s.backupDone());
}

} // namespace
