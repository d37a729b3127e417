// The card's entries in the session: an entry belongs to the card and the
// cell it was started on (every command that changes the card's item or
// closes it ends it first and closes the entry tools), text typed and not
// yet confirmed is stored, never dropped, and values not registered are
// discarded only after a question.
#include "ledger/ledger_session.h"
#include "card_keys.h"
#include "ledger_screen.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kpv;
using namespace kpv::ledger;
using kpv::testing::CardKeys;
using kpv::testing::RecordedMessage;
using Screen = kpv::testing::LedgerScreen;

namespace {

struct Session : Screen {
    CardKeys keys{s};
    int toolsClosed = 0;
    Session()
    {
        s.setEntryToolsCloser([this] { ++toolsClosed; });
    }
};

// An entry started on A-003 (the calculator open on its June issues) and a
// command that moves the card or closes it: the entry ends and its value
// reaches no item.
TEST(CardEntries, AnEntryEndsWithTheItemItWasStartedFor)
{
    struct Command {
        const char *what;
        std::function<void(Session &)> run;
        int recordAfter; // the record number of the card afterwards
    };
    const Command commands[] = {
        {"次 項", [](Session &x) { x.s.nextCard(); }, 4},
        {"閉じる", [](Session &x) { x.s.closeCard(); }, 3},
        {"新 規", [](Session &x) { x.s.openNewCard(); }, 31},
        {"訂 正", [](Session &x) { x.correct(7); }, 4},
        {"複 写", [](Session &x) { x.w.messages.answerYes(); x.s.copyCard(); }, 31},
        {"全消去", [](Session &x) { x.s.clearCard(); }, 3},
        {"入出庫消去", [](Session &x) { x.s.clearMovements(); }, 3},
        {"次 項 (page)", [](Session &x) { x.s.nextPage(); }, 3},
        {"前 項 (page)", [](Session &x) { x.s.previousPage(); }, 3},
    };
    for (const Command &c : commands) {
        SCOPED_TRACE(c.what);
        Session x;
        x.correct(5); // record 3: A-003
        x.s.entry().startMonthEntry(2, 3);
        const int entry = x.s.entry().entry();
        c.run(x);
        EXPECT_GE(x.toolsClosed, 1);
        EXPECT_EQ(x.w.d.entryTarget, 14);
        const LedgerRecord shown = x.s.card().values();
        // The calculator confirms "4" afterwards: nothing is taken.
        EXPECT_FALSE(x.s.entry().writeBack(QStringLiteral("4"), entry));
        EXPECT_EQ(x.s.card().values(), shown);
        EXPECT_EQ(x.s.card().currentRecordNo, c.recordAfter);
        if (x.s.cardOpen()) x.s.registerCard();
        EXPECT_EQ(x.w.stored(4).cell(2, 3), QString());
        EXPECT_EQ(x.w.stored(4).field(10), QStringLiteral("50"));
        EXPECT_NE(x.w.stored(3).cell(2, 3), QStringLiteral("4"));
    }
}

// Text typed into the text box without Enter: registering stores it as Enter
// would, with the same refusals; a click on another cell stores it too.
TEST(CardEntries, TypedTextIsStoredAtRegisterAndAtAnotherCell)
{
    Session x;
    x.correct(5); // record 3
    x.keys.typeText(1, QStringLiteral(" SUS316 "));
    ASSERT_TRUE(x.s.registerCard());
    EXPECT_EQ(x.w.stored(3).field(2), QStringLiteral("SUS316"));

    // Refused: nothing registered, the typed text stays to be mended.
    x.keys.typeText(2, QStringLiteral("東洋😀"));
    const QByteArray before = x.ledgerBytes();
    EXPECT_FALSE(x.s.registerCard());
    EXPECT_TRUE(x.w.messages.last().text.contains(QStringLiteral("😀")));
    EXPECT_EQ(x.ledgerBytes(), before);
    EXPECT_TRUE(x.s.entry().hasTypedText());
    // Another cell is not started while the text cannot be stored.
    EXPECT_EQ(x.s.entry().startMonthEntry(1, 2).step, EntryStep::Kept);
    x.s.entry().setTypedText(QStringLiteral("東洋〜精機"));
    EXPECT_EQ(x.s.entry().startMonthEntry(1, 2).step, EntryStep::Calculator);
    EXPECT_EQ(x.s.card().values().field(3), QStringLiteral("東洋～精機"));
    ASSERT_TRUE(x.s.registerCard());
    // The wave dash a Linux input method types is stored as code page 932's.
    const QByteArray maker = x.w.stored(3).bytes().mid(28 * 3, 28);
    EXPECT_EQ(maker.mid(4, 2), QByteArray("\x81\x60", 2));
}

// Values not registered are discarded only when the user says so; an
// unchanged card leaves without a question.
TEST(CardEntries, UnregisteredChangesAreDiscardedOnlyAfterAQuestion)
{
    struct Command {
        const char *what;
        std::function<void(Session &)> run;
    };
    const Command commands[] = {
        {"次 項", [](Session &x) { x.s.nextCard(); }},
        {"閉じる", [](Session &x) { x.s.closeCard(); }},
        {"新 規", [](Session &x) { x.s.openNewCard(); }},
        {"訂 正", [](Session &x) { x.correct(7); }},
    };
    for (const Command &c : commands) {
        SCOPED_TRACE(c.what);
        for (const bool discard : {false, true}) {
            Session x;
            x.correct(5);
            // Unchanged: no question.
            c.run(x);
            EXPECT_EQ(x.w.messages.unscripted(), 0);
            x.correct(5);
            ASSERT_TRUE(x.keys.month(2, 3, QStringLiteral("1")));
            const LedgerRecord changed = x.s.card().values();
            x.w.messages.clear();
            x.w.messages.answer(discard);
            c.run(x);
            ASSERT_GE(x.w.messages.count(), 1);
            EXPECT_EQ(x.w.messages.log().front().text, QStringLiteral("この在庫品の変更はまだ登録されていません。\r　変更を破棄してよろしいですか。"));
            if (discard) {
                EXPECT_TRUE(!x.s.cardOpen() || x.s.card().values() != changed);
            } else {
                EXPECT_TRUE(x.s.cardOpen());
                EXPECT_EQ(x.s.card().values(), changed);
                EXPECT_EQ(x.s.card().currentRecordNo, 3);
            }
        }
    }
    // Registered changes are no longer a reason to ask.
    Session x;
    x.correct(5);
    x.keys.month(2, 3, QStringLiteral("1"));
    ASSERT_TRUE(x.s.registerCard());
    x.s.nextCard();
    EXPECT_EQ(x.w.messages.unscripted(), 0);
    EXPECT_EQ(x.s.card().currentRecordNo, 4);
}

// The item number keeps its own rule and a file name's: the characters a
// file name cannot hold are refused with the import's message.
TEST(CardEntries, ItemNumbersAFileNameCannotHoldAreRefused)
{
    Session x;
    x.s.openNewCard();
    EXPECT_FALSE(x.keys.itemNumber(QStringLiteral("CA-7/2")));
    EXPECT_EQ(x.w.messages.last().text, QStringLiteral("在庫品番号の文字「/」はファイル名に使えません。　"));
    EXPECT_EQ(x.s.card().values().field(0), QString());
    EXPECT_TRUE(x.keys.itemNumber(QStringLiteral("CA-7-2")));
    EXPECT_EQ(x.s.card().values().field(0), QStringLiteral("CA-7-2"));
    // A number longer than its field is cut, and the user is told.
    EXPECT_TRUE(x.keys.itemNumber(QStringLiteral("X123456789012345678901234567890")));
    EXPECT_EQ(x.s.card().values().field(0), QStringLiteral("X123456789012345678901234567"));
    EXPECT_TRUE(x.w.messages.last().text.contains(QStringLiteral("までを登録しました。")));
    // So is a text.
    x.keys.text(0, QStringLiteral("あいうえおかきくけこさしすせそ"));
    EXPECT_EQ(x.s.card().values().field(1), QStringLiteral("あいうえおかきくけこさしすせ"));
    EXPECT_EQ(x.w.messages.last().text,
              QStringLiteral("「あいうえおかきくけこさしすせそ」は項目の長さを超えています。\r　「あいうえおかきくけこさしすせ」までを登録しました。"));
}

} // namespace
