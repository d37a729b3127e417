// Each switch stores "1"/"0" and saves its store; the administrator, stop
// and colour choices.
#include "menu/menu_slots.h"
#include "menu/option_switches.h"
#include "menu/startup.h"
#include "menu_world.h"

#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::menu;
using namespace kpv::testing;

namespace {
const QDate kToday(2026, 6, 1);

struct SwitchCase {
    Switch sw;
    bool shared;
    int slot;
    const char16_t *firstLine;
};
const SwitchCase kSwitches[] = {
    {Switch::DecimalQuantities, true, 21, u"在庫の小数点以下対応機能"},
    {Switch::MonthlyImport, true, 20, u"在庫品月毎Excelインポート機能を追加します。"},
    {Switch::CommonDocuments, true, 12, u"在庫共通資料機能を追加します。"},
    {Switch::ReadOnly, false, 19, u" ユーザー特殊機能"},
    {Switch::HideExplanations, false, 14, u"画面の説明コマンドの表示、非表示設定"},
    {Switch::LoginRequired, true, 8, u"ログインパスワード機能　スタート時ログインパスワードが必要です。"},
    {Switch::ShowLogo, false, 6, u"ユーザーロゴをメニュー画面右上隅に表示"},
};
} // namespace

TEST(Switches, StoreOneOrZeroAndSave)
{
    for (const SwitchCase &s : kSwitches) {
        World w;
        auto c = w.client();
        StartupSequence::run(c->d, kToday);
        OptionSwitches sw(c->d);
        const QString file = s.shared ? c->sharedFile() : c->clientFile();
        const QString name = OptionSwitches::objectName(s.sw);

        c->messages.answerYes();
        SwitchOutcome out = sw.toggle(s.sw);
        EXPECT_TRUE(out.stored && out.on) << name.toStdString();
        EXPECT_EQ(readSlots(file).value(s.slot), "1") << name.toStdString();
        EXPECT_EQ(c->messages.last().title, u"登録確認"_qs);
        EXPECT_TRUE(c->messages.last().text.startsWith(QString::fromUtf16(s.firstLine))) << name.toStdString();

        for (int i = 0; i < 2; ++i) { // "いいえ" stores "0", also when already off
            c->messages.answerNo();
            out = sw.toggle(s.sw);
            EXPECT_TRUE(out.stored && !out.on) << name.toStdString();
            EXPECT_EQ(readSlots(file).value(s.slot), "0") << name.toStdString();
        }
    }
}

TEST(Switches, QuestionsKeepTheirLines)
{
    EXPECT_EQ(OptionSwitches::question(Switch::CommonDocuments),
              u"在庫共通資料機能を追加します。\r　はい（ピンク）で機能追加　　いいえ（白）機能無し"_qs);
    EXPECT_EQ(OptionSwitches::question(Switch::ShowLogo).split('\r').size(), 6);
    EXPECT_EQ(OptionSwitches::question(Switch::ReadOnly).split('\r').size(), 6);
}

TEST(Switches, SharedSwitchDoesNotUndoAnotherClientsChange)
{
    World w;
    auto a = w.client("a");
    StartupSequence::run(a->d, kToday);
    // Another client stops everything after this menu loaded.
    SettingsSlots onDisk = readSlots(a->sharedFile());
    onDisk.set(shared::kAllClientsStopped, "1");
    writeSettingsFile(a->sharedFile(), onDisk);

    OptionSwitches sw(a->d);
    a->messages.answerYes();
    sw.toggle(Switch::DecimalQuantities);
    const SettingsSlots after = readSlots(a->sharedFile());
    EXPECT_EQ(after.value(shared::kAllClientsStopped), "1");
    EXPECT_EQ(after.value(shared::kDecimalQuantities), "1");
}

TEST(Switches, LoginSwitchAsksForTheCodeAtOnce)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, kToday);
    c->d.subScreenOpened = 1;
    c->d.changePending = 1;
    OptionSwitches sw(c->d);
    c->messages.answerYes();
    sw.toggle(Switch::LoginRequired);
    EXPECT_EQ(c->d.subScreenOpened, 0);
    EXPECT_EQ(c->d.loginPending, 1);
    EXPECT_EQ(c->d.changePending, 0);
    c->messages.answerNo();
    sw.toggle(Switch::LoginRequired);
    EXPECT_EQ(c->d.loginPending, 0);
}

TEST(Switches, FailedSaveIsNotPaintedAsStored)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, kToday);
    QFile::remove(c->clientFile());
    QDir().mkpath(c->clientFile()); // cannot be written
    OptionSwitches sw(c->d);
    c->messages.answerYes();
    const SwitchOutcome out = sw.toggle(Switch::HideExplanations);
    EXPECT_FALSE(out.stored);
    EXPECT_FALSE(c->d.clientSettings.isOn(client::kHideExplanations));
    EXPECT_EQ(c->messages.last().kind, RecordedMessage::Tell);
    EXPECT_TRUE(c->messages.last().text.startsWith(c->clientFile()));
}

TEST(Switches, AdministratorRights)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, kToday);
    OptionSwitches sw(c->d);
    c->d.clientSettings.set(client::kReadOnly, "1");
    c->d.saveClientSettings();

    c->messages.answerYes();
    EXPECT_EQ(sw.administrator(), AdminOutcome::On);
    SettingsSlots cs = readSlots(c->clientFile());
    EXPECT_EQ(cs.value(client::kAdministrator), "1");
    EXPECT_EQ(cs.value(client::kReadOnly), "0"); // never read-only

    c->messages.answerNo();
    EXPECT_EQ(sw.administrator(), AdminOutcome::Off);
    EXPECT_EQ(readSlots(c->clientFile()).value(client::kAdministrator), "0");
}

TEST(Switches, StopSetByThisPcLetsOnlyThisPcWork)
{
    World w;
    const QString data = w.path("server");
    QDir().mkpath(data);
    auto admin = w.client("admin");
    auto other = w.client("other");
    for (Client *c : {admin.get(), other.get()}) {
        SettingsSlots cs;
        cs.set(1, data + "/");
        writeSettingsFile(c->clientFile(), cs);
    }
    writeSlots(data + "/" + names::sharedSettings(), {{9, u"2026/04"}});
    StartupSequence::run(admin->d, kToday);
    StartupSequence::run(other->d, kToday);

    OptionSwitches sw(admin->d);
    EXPECT_EQ(sw.stopAllClients(), StopOutcome::Refused); // not an administrator yet
    EXPECT_EQ(admin->messages.last().title, u"確認"_qs);

    admin->messages.answerYes(2);
    ASSERT_EQ(sw.administrator(), AdminOutcome::On);
    EXPECT_EQ(sw.stopAllClients(), StopOutcome::On);
    EXPECT_EQ(readSlots(data + "/" + names::sharedSettings()).value(1), "1");

    MenuGates adminGates(admin->d, admin->opener);
    MenuGates otherGates(other->d, other->opener);
    EXPECT_EQ(adminGates.open(Screen::Ledger), GateResult::OpenedInstead);
    EXPECT_EQ(otherGates.open(Screen::Ledger), GateResult::Refused);

    // Removing the rights on the stopping PC offers to lift the stop.
    admin->messages.answerNo();  // no rights
    admin->messages.answerYes(); // and lift the stop
    EXPECT_EQ(sw.administrator(), AdminOutcome::OffAndStopLifted);
    EXPECT_EQ(admin->messages.last().text,
              u"当クライアントで、サーバー停止の設定を行ってます。　\r　サーバー停止を解除し管理権限を無しにしますか？　"_qs);
    EXPECT_EQ(readSlots(data + "/" + names::sharedSettings()).value(1), "0");
    EXPECT_EQ(otherGates.open(Screen::Ledger), GateResult::OpenedInstead);
}

TEST(Switches, KeepingTheStopKeepsTheRights)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, kToday);
    OptionSwitches sw(c->d);
    c->messages.answerYes(2);
    sw.administrator();
    sw.stopAllClients();
    c->messages.answerNo(2); // no rights? then: keep the stop
    EXPECT_EQ(sw.administrator(), AdminOutcome::Unchanged);
    EXPECT_EQ(readSlots(c->clientFile()).value(client::kAdministrator), "1");
    EXPECT_EQ(readSlots(c->sharedFile()).value(1), "1");
}

TEST(Switches, ReleaseCommand)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, kToday);
    OptionSwitches sw(c->d);
    c->messages.answerYes(3);
    sw.administrator();
    sw.stopAllClients();
    EXPECT_TRUE(sw.releaseStop());
    EXPECT_EQ(readSlots(c->sharedFile()).value(1), "0");
    EXPECT_EQ(readSlots(c->clientFile()).value(client::kStopMark), "0");
    c->d.clientSettings.set(client::kAdministrator, "0");
    EXPECT_FALSE(sw.releaseStop()); // only administrators; not even asked
    EXPECT_EQ(c->messages.unscripted(), 0);
}

TEST(Switches, BackgroundPreviewAndUndo)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, kToday);
    OptionSwitches sw(c->d);

    sw.previewBackground("5");
    EXPECT_EQ(c->d.backgroundColour, "&H00EBCE87");
    c->messages.answerNo();
    EXPECT_FALSE(sw.confirmBackground());
    EXPECT_TRUE(c->d.backgroundColour.isEmpty()); // no colour was in force
    EXPECT_EQ(readSlots(c->sharedFile()).value(49), "");
    EXPECT_EQ(c->messages.last().text,
              u"当ソフト内の背景色の変更\r １～10 の数字で１～10種類の色変更可能　\r 変更しますか　はい＝変更　いいえ＝変更無し"_qs);

    sw.previewBackground("8");
    c->messages.answerYes();
    EXPECT_TRUE(sw.confirmBackground());
    EXPECT_EQ(readSlots(c->sharedFile()).value(49), "8");
    EXPECT_EQ(c->d.backgroundColour, "&H008B3D48");

    sw.previewBackground("2");
    c->messages.answerNo();
    sw.confirmBackground();
    EXPECT_EQ(c->d.backgroundColour, "&H008B3D48");
    EXPECT_EQ(c->d.sharedSettings.value(49), "8");
}

TEST(Switches, LogoOffset)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, kToday);
    OptionSwitches sw(c->d);
    EXPECT_EQ(sw.setLogoOffset("1600"), 17600);
    EXPECT_EQ(readSlots(c->clientFile()).value(7), "1600");
}
