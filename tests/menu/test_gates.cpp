// The gates in their order, CheckAllClientsStop and the login panel.
#include "menu/menu_gates.h"
#include "menu/menu_slots.h"
#include "menu/startup.h"
#include "menu_world.h"

#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::menu;
using namespace kpv::testing;

namespace {

const QString kReadOnlyRefusal = u"当クライアントはインポート操作は出来ません。"_qs;
const QString kStopRefusal = u" 管理者権限で全クライアントサーバ使用禁止中です。"_qs;
const QString kLoginRefusal = u" パスワード認証が必要です。"_qs;

struct GateCase {
    const char *name;
    Screen screen;
    bool readOnly;
    bool stopped;
    const char16_t *stopMark;  // ClientSettings stop mark
    const char16_t *backup;    // ClientSettings slot 18
    bool loginPending;
    GateResult result;
    QString message;           // empty: no message
};

} // namespace

TEST(Gates, InTheirOrder)
{
    const GateCase cases[] = {
        {"open ledger", Screen::Ledger, false, false, u"", u"", false, GateResult::OpenedInstead, {}},
        {"open settings", Screen::Settings, false, false, u"", u"", false, GateResult::OpenedInstead, {}},
        {"read-only client may open the ledger", Screen::Ledger, true, false, u"", u"", false, GateResult::OpenedInstead, {}},
        {"read-only client cannot import", Screen::Import, true, false, u"", u"", false, GateResult::Refused, kReadOnlyRefusal},
        {"read-only refusal comes before the stop", Screen::Import, true, true, u"", u"", true, GateResult::Refused, kReadOnlyRefusal},
        {"stopped", Screen::Ledger, false, true, u"", u"", false, GateResult::Refused, kStopRefusal},
        {"stopped, mark \"0\"", Screen::Settings, false, true, u"0", u"", false, GateResult::Refused, kStopRefusal},
        {"stopped, the stopping PC works", Screen::Import, false, true, u"1", u"", false, GateResult::OpenedInstead, {}},
        {"the backup switch does not exempt", Screen::Ledger, false, true, u"", u"1", false, GateResult::Refused, kStopRefusal},
        {"stop comes before the password", Screen::Ledger, false, true, u"", u"", true, GateResult::Refused, kStopRefusal},
        {"password needed", Screen::Ledger, false, false, u"", u"", true, GateResult::Refused, kLoginRefusal},
        {"common documents are not stopped", Screen::CommonDocuments, true, true, u"", u"", false, GateResult::OpenedOver, {}},
        {"common documents need the password", Screen::CommonDocuments, false, true, u"", u"", true, GateResult::Refused, kLoginRefusal},
    };
    for (const GateCase &g : cases) {
        World w;
        auto c = w.client();
        StartupSequence::run(c->d, QDate(2026, 5, 1));
        c->d.clientSettings.setSwitch(client::kReadOnly, g.readOnly);
        c->d.clientSettings.set(client::kStopMark, QString::fromUtf16(g.stopMark));
        c->d.clientSettings.set(client::kLedgerBackup, QString::fromUtf16(g.backup));
        c->d.loginPending = g.loginPending ? 1 : 0;
        // The stop is set in the file (by another PC): the gate reads it anew.
        SettingsSlots shared = readSlots(c->sharedFile());
        shared.setSwitch(shared::kAllClientsStopped, g.stopped);
        writeSettingsFile(c->sharedFile(), shared);
        c->messages.clear();

        MenuGates gates(c->d, c->opener);
        EXPECT_EQ(gates.open(g.screen), g.result) << g.name;
        const bool opened = g.result != GateResult::Refused;
        EXPECT_EQ(c->opener.opened.size(), opened ? 1u : 0u) << g.name;
        EXPECT_EQ(c->d.subScreenOpened, opened ? 1 : 0) << g.name;
        if (g.message.isEmpty()) {
            EXPECT_EQ(c->messages.count(), 0) << g.name;
        } else {
            ASSERT_EQ(c->messages.count(), 1) << g.name;
            EXPECT_EQ(c->messages.last().text, g.message) << g.name;
            EXPECT_EQ(c->messages.last().title, g.message == kReadOnlyRefusal ? u"登録確認"_qs : u"管理確認"_qs) << g.name;
        }
        EXPECT_FALSE(c->pointer.busy()) << g.name;
        EXPECT_EQ(c->pointer.busyCalls(), opened ? 1 : 0) << g.name;
    }
}

TEST(Gates, CheckAllClientsStop)
{
    struct Case {
        bool stopped;
        bool admin;
        bool ends;
    };
    for (const Case k : {Case{true, false, true}, Case{true, true, false}, Case{false, false, false}}) {
        World w;
        auto c = w.client();
        StartupSequence::run(c->d, QDate(2026, 5, 1));
        c->d.clientSettings.setSwitch(client::kAdministrator, k.admin);
        SettingsSlots shared = readSlots(c->sharedFile());
        shared.setSwitch(shared::kAllClientsStopped, k.stopped);
        writeSettingsFile(c->sharedFile(), shared);
        c->messages.clear();
        EXPECT_EQ(checkAllClientsStop(c->d), k.ends);
        EXPECT_EQ(c->messages.count(), k.ends ? 1 : 0);
        if (k.ends) {
            EXPECT_EQ(c->messages.last().title, u"管理確認"_qs);
            EXPECT_EQ(c->messages.last().text,
                      u" 管理者権限で全クライアントサーバが停止設定されました。 \r ソフトを停止します。 "_qs);
        }
    }
}

TEST(Gates, LoginPanel)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, QDate(2026, 5, 1));
    c->d.loginPending = 1;
    MenuGates gates(c->d, c->opener);
    EXPECT_FALSE(gates.submitLogin(u"123456"_qs));
    EXPECT_EQ(c->messages.last().title, u"確認"_qs);
    EXPECT_EQ(c->messages.last().text, u"パスワードが違います。。"_qs);
    EXPECT_EQ(c->d.loginPending, 1);
    EXPECT_TRUE(gates.submitLogin(u" 482910"_qs));
    EXPECT_EQ(c->d.loginPending, 0);
    EXPECT_EQ(gates.open(Screen::Ledger), GateResult::OpenedInstead);
}
