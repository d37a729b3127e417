// Registering the card: the card's own values reach the ledger (not what a
// page move left in the buffer), new items go to the true end, corrections
// ask before overwriting another client's change of the same item and never
// overwrite another item when the ledger was reordered elsewhere (another
// process registering a deletion), refusals write nothing, and the screen
// shows the new state afterwards.
#include "card_keys.h"
#include "journal_lines.h"
#include "ledger_screen.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::ledger;
using kpv::testing::LedgerWorld;

namespace {

using Screen = kpv::testing::LedgerScreen;
using kpv::testing::CardKeys;
using kpv::testing::RecordedMessage;

// Another client of the data folder, as a process of its own.
int otherClient(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(KPV_OTHER_CLIENT), args);
    if (!p.waitForFinished(60000)) return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(Register, AfterAPageMoveWritesTheCardsValues)
{
    Screen x;
    x.correct(3); // record 2: previous 40, receipts 5, issues 2 + 4
    ASSERT_TRUE(CardKeys{x.s}.month(1, 2, QStringLiteral("10")));
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
    ASSERT_TRUE(CardKeys{x.s}.month(2, 14, QStringLiteral("24")));
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
    CardKeys{x.s}.itemNumber(QStringLiteral("NEW-1"));
    CardKeys{x.s}.field(7, QStringLiteral("4"));

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
    CardKeys{x.s}.text(0, QStringLiteral("名前"));
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
        CardKeys{x.s}.text(1, QStringLiteral("MINE"));
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
        CardKeys{x.s}.itemNumber(QStringLiteral("NEW-1"));
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
    CardKeys{x.s}.text(2, QStringLiteral("メーカー"));
    ASSERT_TRUE(x.s.registerCard());
    EXPECT_TRUE(x.s.backupDone());
    QFile copy(x.w.d.clientFolder + QStringLiteral("原本Excel/Ma在庫品.dat"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), x.ledgerBytes());
    // The next command resets the indicator.
    x.s.nextPage();
    EXPECT_FALSE(x.s.backupDone());
}

// A change of the same item that lands while the question is up is not
// overwritten unasked: the question comes again.
TEST(Register, AChangeWhileTheQuestionIsUpIsAskedAboutAgain)
{
    Screen x;
    x.correct(11); // record 6
    CardKeys{x.s}.text(1, QStringLiteral("MINE"));
    LedgerRecord theirs = x.w.stored(6);
    theirs.setField(2, QStringLiteral("THEIRS"));
    x.w.otherWrites(theirs, 6);
    int asked = 0;
    x.w.messages.whileShown = [&](const RecordedMessage &m) {
        if (m.kind != RecordedMessage::Ask || ++asked != 1) return;
        LedgerRecord later = x.w.stored(6);
        later.setField(3, QStringLiteral("LATER"));
        x.w.otherWrites(later, 6);
    };
    x.w.messages.answerYes(2);
    ASSERT_TRUE(x.s.registerCard());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(x.w.stored(6).field(2), QStringLiteral("MINE"));
}

// Another process registers the deletion of row 1 while this card corrects
// record 6 (B-002): record 6 holds B-003 now. Nothing is overwritten; the
// list is read again; the card keeps its values and offers the record that
// holds B-002 now.
TEST(Register, AfterADeletionElsewhereNothingIsOverwritten)
{
    for (const bool onto : {false, true}) {
        SCOPED_TRACE(onto ? "registered onto record 5" : "stayed on the card");
        Screen x;
        x.correct(11); // record 6: B-002
        ASSERT_EQ(x.s.card().values().field(0), QStringLiteral("B-002"));
        ASSERT_TRUE(CardKeys{x.s}.month(2, 3, QStringLiteral("1")));
        const LedgerRecord mine = x.s.card().values();
        ASSERT_EQ(otherClient({QStringLiteral("delete"), x.w.d.dataFolder, QStringLiteral("1")}), 0);
        ASSERT_EQ(x.w.count(), 29);
        const QByteArray record6 = x.w.stored(6).bytes();
        ASSERT_EQ(x.w.stored(6).field(0), QStringLiteral("B-003"));
        const int told = x.w.messages.count();

        x.w.messages.answer(onto);
        EXPECT_EQ(x.s.registerCard(), onto);
        const auto &log = x.w.messages.log();
        ASSERT_EQ(int(log.size()), told + 2);
        EXPECT_EQ(log[size_t(told)].kind, RecordedMessage::Tell);
        EXPECT_TRUE(log[size_t(told)].text.startsWith(QStringLiteral("在庫品台帳が他の端末で並べ替えられました")));
        EXPECT_EQ(log[size_t(told + 1)].kind, RecordedMessage::Ask);
        EXPECT_TRUE(log[size_t(told + 1)].text.startsWith(QStringLiteral(" No 5 が同じ在庫品No「B-002」の在庫品です。")));
        EXPECT_EQ(x.w.stored(6).bytes(), record6);
        // The list was read again: record 1 is A-002 now.
        EXPECT_EQ(x.s.page().cell(1, 1), QStringLiteral("A-002"));
        EXPECT_EQ(x.s.countText(), QStringLiteral("総数 29"));
        if (onto) {
            EXPECT_EQ(x.w.stored(5).cell(2, 3), QStringLiteral("1"));
            EXPECT_EQ(x.w.stored(5).field(0), QStringLiteral("B-002"));
            EXPECT_EQ(x.s.card().currentRecordNo, 5);
            EXPECT_EQ(x.w.count(), 29);
        } else {
            EXPECT_EQ(x.s.card().values(), mine);
            EXPECT_TRUE(x.s.cardOpen());
            EXPECT_EQ(x.w.stored(5).cell(2, 3), QString());
        }
    }
}

// The item is no longer in the ledger (or held twice): the card's values go
// in as a new item when the user says so.
TEST(Register, AfterAReorderWithoutTheItemItGoesInAsANewOne)
{
    Screen x;
    x.correct(11); // record 6: B-002
    CardKeys{x.s}.text(1, QStringLiteral("MINE"));
    ASSERT_EQ(otherClient({QStringLiteral("delete"), x.w.d.dataFolder, QStringLiteral("6")}), 0);
    x.w.messages.answerYes();
    ASSERT_TRUE(x.s.registerCard());
    EXPECT_TRUE(x.w.messages.last().text.startsWith(QStringLiteral("在庫品No「B-002」の在庫品は台帳にありません。")));
    EXPECT_EQ(x.w.count(), 30);
    EXPECT_EQ(x.w.stored(30).field(0), QStringLiteral("B-002"));
    EXPECT_EQ(x.w.stored(30).field(2), QStringLiteral("MINE"));
    EXPECT_EQ(x.w.stored(6).field(0), QStringLiteral("B-003"));
    EXPECT_EQ(x.s.card().currentRecordNo, 30);
}

// A change of the same item registered by another process still asks.
TEST(Register, ASameItemChangeByAnotherProcessStillAsks)
{
    Screen x;
    x.correct(11); // record 6
    CardKeys{x.s}.text(1, QStringLiteral("MINE"));
    ASSERT_EQ(otherClient({QStringLiteral("change"), x.w.d.dataFolder, QStringLiteral("6"), QStringLiteral("3"),
                           QStringLiteral("THEIRS")}),
              0);
    x.w.messages.answerNo();
    EXPECT_FALSE(x.s.registerCard());
    EXPECT_EQ(x.w.messages.last().kind, RecordedMessage::Ask);
    EXPECT_EQ(x.w.messages.last().text, QStringLiteral("この在庫品は他の端末で変更されています。\r　その変更に上書きして登録しますか。"));
    EXPECT_EQ(x.w.stored(6).field(3), QStringLiteral("THEIRS"));
    EXPECT_EQ(x.w.stored(6).field(2), QStringLiteral("6305ZZ"));
}

// A record now holding another item, written in place (an import): the same
// answer as a reorder, never the overwrite question.
TEST(Register, AnotherItemOnTheRecordIsNeverOverwritten)
{
    Screen x;
    x.correct(11); // record 6
    CardKeys{x.s}.text(1, QStringLiteral("MINE"));
    LedgerRecord other = x.w.stored(7);
    x.w.otherWrites(other, 6); // record 6 holds B-003 too now
    x.w.messages.answerNo();
    EXPECT_FALSE(x.s.registerCard());
    EXPECT_TRUE(x.w.messages.last().text.contains(QStringLiteral("新規の在庫品として登録しますか")));
    EXPECT_EQ(x.w.stored(6).field(0), QStringLiteral("B-003"));
}

// A list whose ledger was replaced elsewhere is read again at the next page
// move or card opening, with a short message.
TEST(Register, AListOfAReplacedLedgerIsReadAgain)
{
    Screen x;
    ASSERT_EQ(otherClient({QStringLiteral("delete"), x.w.d.dataFolder, QStringLiteral("1")}), 0);
    EXPECT_EQ(x.s.page().cell(1, 1), QStringLiteral("A-001")); // shown until the next command
    x.s.setListCell(11, 2); // B-002's line as shown
    x.s.openCorrectCard();
    EXPECT_FALSE(x.s.cardOpen());
    EXPECT_EQ(x.w.messages.last().text, QStringLiteral("在庫品台帳が他の端末で並べ替えられました。\r　一覧を読み直します。"));
    EXPECT_EQ(x.s.page().cell(1, 1), QStringLiteral("A-002"));
    EXPECT_EQ(x.s.countText(), QStringLiteral("総数 29"));
    EXPECT_EQ(x.w.d.indexTable.value(5, 1), QStringLiteral("B-002"));
    // The list is current again: the card opens.
    x.s.setListCell(9, 2);
    x.s.openCorrectCard();
    EXPECT_EQ(x.s.card().values().field(0), QStringLiteral("B-002"));

    ASSERT_EQ(otherClient({QStringLiteral("delete"), x.w.d.dataFolder, QStringLiteral("1")}), 0);
    const int told = x.w.messages.count();
    x.s.nextPage();
    EXPECT_EQ(x.w.messages.count(), told + 1);
    EXPECT_EQ(x.s.pageText(), QStringLiteral(" P 1"));
    EXPECT_EQ(x.s.page().cell(1, 1), QStringLiteral("A-003"));
    EXPECT_TRUE(x.s.takeListReloaded());
}

TEST(Register, TheCardsNewItemCopyAndCorrectionEachLeaveTheirEntry)
{
    Screen x;
    x.correct(5); // record 3, A-003
    const LedgerRecord read = x.w.stored(3);
    ASSERT_TRUE(CardKeys{x.s}.month(2, 3, QStringLiteral("1")));
    ASSERT_TRUE(x.s.registerCard());
    x.w.messages.answerYes();
    x.s.copyCard();
    ASSERT_TRUE(x.s.registerCard());
    x.s.openNewCard();
    CardKeys{x.s}.itemNumber(QStringLiteral("NEW-1"));
    ASSERT_TRUE(x.s.registerCard());

    const auto entries = kpv::testing::journalEntries(x.w.d.ledgerPath());
    ASSERT_EQ(entries.size(), 3u);
    for (const auto &e : entries) {
        EXPECT_EQ(e.mark, "done");
        ASSERT_EQ(e.items.size(), 1u);
    }
    // The correction: June's issues (month slot 3 from April), and the stock
    // the card worked out from them.
    EXPECT_EQ(entries[0].head.value("op").toString(), QStringLiteral("訂正"));
    EXPECT_EQ(entries[0].items[0].value("item").toString(), QStringLiteral("A-003"));
    const QJsonObject june = entries[0].change(0, "c2.3");
    EXPECT_EQ(june.value("f").toString(), QStringLiteral("出庫 2025/06"));
    EXPECT_EQ(june.value("b").toString(), read.cell(2, 3));
    EXPECT_EQ(june.value("a").toString(), QStringLiteral("1"));
    EXPECT_EQ(entries[0].change(0, "f10").value("a").toString(), x.w.stored(3).field(10));
    EXPECT_EQ(entries[1].head.value("op").toString(), QStringLiteral("複写登録"));
    EXPECT_EQ(entries[1].items[0].value("rec").toInt(), 31);
    EXPECT_EQ(entries[1].items[0].value("was").toInt(), 0);
    EXPECT_EQ(entries[2].head.value("op").toString(), QStringLiteral("新規登録"));
    EXPECT_EQ(entries[2].items[0].value("item").toString(), QStringLiteral("NEW-1"));
}

} // namespace
