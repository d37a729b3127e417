#include "menu/option_switches.h"

#include "ui/background_palette.h"
#include "menu/menu_slots.h"
#include "storage/dolvb.h"

#include <QStringList>

#include <map>

namespace kpv::menu {

namespace {

const QString kTitle = QStringLiteral("登録確認");

QString lines(std::initializer_list<const char16_t *> parts)
{
    QStringList l;
    for (const char16_t *p : parts) l << QString::fromUtf16(p);
    return l.join(QLatin1Char('\r'));
}

struct SwitchInfo {
    bool shared;
    int slot;
    const char *box;
};

SwitchInfo info(Switch s)
{
    switch (s) {
    case Switch::DecimalQuantities: return {true, shared::kDecimalQuantities, "Label34"};
    case Switch::MonthlyImport: return {true, shared::kMonthlyImport, "Label21"};
    case Switch::CommonDocuments: return {true, shared::kCommonDocuments, "Label33"};
    case Switch::ReadOnly: return {false, client::kReadOnly, "Label81"};
    case Switch::HideExplanations: return {false, client::kHideExplanations, "Label50"};
    case Switch::LoginRequired: return {true, shared::kLoginRequired, "Label108"};
    case Switch::ShowLogo: return {false, client::kShowLogo, "Label45"};
    }
    return {false, 0, ""};
}

QString onOff(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

} // namespace

QString OptionSwitches::objectName(Switch s) { return QString::fromLatin1(info(s).box); }

QString OptionSwitches::question(Switch s)
{
    switch (s) {
    case Switch::DecimalQuantities:
        return lines({u"在庫の小数点以下対応機能", u"　在庫品小数点以下の入力、画面表示を可能とします。",
                      u"　はい（ピンク）で機能追加　　いいえ（白）機能無し"});
    case Switch::MonthlyImport:
        return lines({u"在庫品月毎Excelインポート機能を追加します。",
                      u"日毎入出庫Execlに書き込まれた月毎合計入出庫値をインポートします。",
                      u"　はい（ピンク）で機能追加　　いいえ（白）機能無し"});
    case Switch::CommonDocuments:
        return lines({u"在庫共通資料機能を追加します。", u"　はい（ピンク）で機能追加　　いいえ（白）機能無し"});
    case Switch::ReadOnly:
        return lines({u" ユーザー特殊機能", u"　情報履歴の登録・訂正が出来ない機能設定　",
                      u"　データ確認とExce出力のみでデータ登録・修正が出来ません。　", u"　機能有り＝はい（ピンク）　",
                      u"　機能無し＝いいえ（白）　", u"　　※当クライアント個別設定"});
    case Switch::HideExplanations:
        return lines({u"画面の説明コマンドの表示、非表示設定", u"ソフト内の説明コマンドが全て表示　いいえ（白）",
                      u"はい（ピンク）で全て非表示になります。 ", u"※当クライアントのみ有効　機能はクライアント個別"});
    case Switch::LoginRequired:
        return lines({u"ログインパスワード機能　スタート時ログインパスワードが必要です。", u"　　　　有効＝はい（ピンク）",
                      u"　　　　無し＝いいえ（白）", u"　　※サーバー接続全クライアント対象",
                      u"　　※ログインコードは管理者から各ユーザーに配布してください。"});
    case Switch::ShowLogo:
        return lines({u"ユーザーロゴをメニュー画面右上隅に表示", u"　はい（ピンク）で表示　　いいえ（白）非表示",
                      u"ｃ：\\DOLV設備管理\\設備画像フォルダに", u"　ロゴ画像があることが必要です。　",
                      u"　画像サイズはピクセル　横80Pixel 　縦が56Pixel程度で", u"　ファイル名は　yuuza.jpg　で登録してください。"});
    }
    return {};
}

SwitchOutcome OptionSwitches::toggle(Switch s)
{
    const SwitchInfo i = info(s);
    const bool yes = m_d.messages().ask(kTitle, question(s));
    // The switch is written on the store as it is now in the file, so that
    // a change another client made since this menu loaded is kept.
    const std::map<int, QString> change{{i.slot, onOff(yes)}};
    const bool saved = i.shared ? m_d.changeSharedSettings(change) : m_d.changeClientSettings(change);
    if (!saved) {
        // The user has been told; memory keeps what it held.
        const SettingsSlots &store = i.shared ? m_d.sharedSettings : m_d.clientSettings;
        return {false, store.isOn(i.slot)};
    }
    if (s == Switch::LoginRequired) {
        if (yes) {
            m_d.subScreenOpened = 0;
            m_d.loginPending = 1;
        } else {
            m_d.loginPending = 0;
        }
        m_d.changePending = 0;
    }
    return {true, yes};
}

AdminOutcome OptionSwitches::administrator()
{
    const bool yes = m_d.messages().ask(
        kTitle, lines({u"管理者権限設定　　　はい＝有(ピンク）　　いいえ＝無（白）　　",
                       u"　はいで初期設定・項目リスト数の設定の機能SWを表示　"}));
    m_d.loadClientSettings();
    if (yes) {
        // An administrator PC is never read-only.
        return m_d.changeClientSettings({{client::kAdministrator, onOff(true)}, {client::kReadOnly, onOff(false)}})
                   ? AdminOutcome::On
                   : AdminOutcome::Unchanged;
    }
    const std::map<int, QString> off{{client::kAdministrator, onOff(false)}, {client::kStopMark, onOff(false)}};
    if (!m_d.clientSettings.isOn(client::kStopMark))
        return m_d.changeClientSettings(off) ? AdminOutcome::Off : AdminOutcome::Unchanged;
    if (!m_d.messages().ask(kTitle, lines({u"当クライアントで、サーバー停止の設定を行ってます。　",
                                           u"　サーバー停止を解除し管理権限を無しにしますか？　"})))
        return AdminOutcome::Unchanged;
    if (!m_d.changeClientSettings(off)) return AdminOutcome::Unchanged;
    m_d.changeSharedSettings({{shared::kAllClientsStopped, onOff(false)}});
    return AdminOutcome::OffAndStopLifted;
}

StopOutcome OptionSwitches::stopAllClients()
{
    if (!m_d.clientSettings.isOn(client::kAdministrator)) {
        m_d.messages().tell(QStringLiteral("確認"),
                            QStringLiteral("管理者権限有りパソコンしかクライアント中止・解除の設定はできません。"));
        return StopOutcome::Refused;
    }
    const bool yes = m_d.messages().ask(
        kTitle, lines({u"管理者権限で全クライアントのデータサーバ―使用停止設定", u"はい（ピンク）で全クライアントサーバー使用停止",
                       u"　※但し当管理者権限パソコンのみ通常通り使えます。", u"いいえ（白）で制限解除、使用可能状態になります。",
                       u"　※解除設定は管理者権限設定パソコンで使用禁止にした", u"　　パソコンでしか解除できません。",
                       u"　　他の管理者権限設定パソコンも解除できません。"}));
    // The PC that sets the stop is marked first: it stays usable.
    if (!m_d.changeClientSettings({{client::kStopMark, onOff(yes)}})) return StopOutcome::Unchanged;
    if (!m_d.changeSharedSettings({{shared::kAllClientsStopped, onOff(yes)}})) return StopOutcome::Unchanged;
    return yes ? StopOutcome::On : StopOutcome::Off;
}

bool OptionSwitches::releaseStop()
{
    if (!m_d.clientSettings.isOn(client::kAdministrator)) return false;
    if (!m_d.messages().ask(kTitle, lines({u"隠しコマンド：管理者権限で全クライアント停止解除設定", u"全クライアント停止を解除します。"})))
        return false;
    if (!m_d.changeSharedSettings({{shared::kAllClientsStopped, onOff(false)}})) return false;
    if (m_d.clientSettings.isOn(client::kStopMark)) m_d.changeClientSettings({{client::kStopMark, onOff(false)}});
    return true;
}

int OptionSwitches::setLogoOffset(const QString &text)
{
    m_d.changeClientSettings({{client::kLogoOffset, text}});
    return 16000 + int(m_d.clientSettings.number(client::kLogoOffset));
}

void OptionSwitches::previewBackground(const QString &number)
{
    m_colourBeforePreview = m_d.backgroundColour;
    m_previewNumber = number;
    m_d.loadSharedSettings();
    m_d.sharedSettings.set(shared::kBackgroundColour, number);
    applyBackgroundColour(m_d);
}

bool OptionSwitches::confirmBackground()
{
    const bool yes = m_d.messages().ask(kTitle, lines({u"当ソフト内の背景色の変更", u" １～10 の数字で１～10種類の色変更可能　",
                                                      u" 変更しますか　はい＝変更　いいえ＝変更無し"}));
    if (yes && m_d.changeSharedSettings({{shared::kBackgroundColour, m_previewNumber}})) return true;
    // The colour in force before the preview comes back, also when the
    // stored number does not choose one.
    m_d.loadSharedSettings();
    m_d.backgroundColour = m_colourBeforePreview;
    applyBackgroundColour(m_d);
    return false;
}

void OptionSwitches::explainAdministration()
{
    m_d.messages().tell(QStringLiteral("保全履歴確認"),
                        lines({u"各種オプション設定", u"※特殊設定", u"①設定文字色", u"　・薄いブルー文字・・クライアントのみ機能が変化",
                               u"　・黄色文字・・・・・サーバー接続の全てのクライアントの機能が変化", u"②管理者権限　",
                               u"　重要項目の変更等を当管理者権限でないと変更できない機能"}));
}

} // namespace kpv::menu
