#include "menu/menu_gates.h"

#include "menu/access_code.h"
#include "menu/menu_slots.h"
#include "storage/dolvb.h"

namespace kpv::menu {

QString screenName(Screen s)
{
    switch (s) {
    case Screen::Ledger: return QStringLiteral("Form11");
    case Screen::Import: return QStringLiteral("Form10");
    case Screen::Settings: return QStringLiteral("form2");
    case Screen::CommonDocuments: return QStringLiteral("FormCommonDocuments");
    }
    return {};
}

bool MenuGates::loginGatePasses()
{
    if (m_d.loginPending != 1) return true;
    m_d.messages().tell(QStringLiteral("管理確認"), QStringLiteral(" パスワード認証が必要です。"));
    return false;
}

GateResult MenuGates::open(Screen screen)
{
    if (screen == Screen::CommonDocuments) {
        if (!loginGatePasses()) return GateResult::Refused;
        m_d.subScreenOpened = 1;
        BusyGuard busy(m_d.pointer());
        m_opener.open(screen);
        return GateResult::OpenedOver;
    }

    m_d.loadSharedSettings();
    if (screen == Screen::Import && m_d.clientSettings.isOn(client::kReadOnly)) {
        m_d.messages().tell(QStringLiteral("登録確認"), QStringLiteral("当クライアントはインポート操作は出来ません。"));
        return GateResult::Refused;
    }
    if (m_d.sharedSettings.isOn(shared::kAllClientsStopped) && !m_d.clientSettings.isOn(client::kStopMark)) {
        m_d.messages().tell(QStringLiteral("管理確認"), QStringLiteral(" 管理者権限で全クライアントサーバ使用禁止中です。"));
        return GateResult::Refused;
    }
    if (!loginGatePasses()) return GateResult::Refused;

    m_d.subScreenOpened = 1;
    BusyGuard busy(m_d.pointer());
    m_opener.open(screen);
    return GateResult::OpenedInstead;
}

bool MenuGates::submitLogin(const QString &typed)
{
    if (acceptsAccessCode(typed)) {
        m_d.loginPending = 0;
        return true;
    }
    m_d.messages().tell(QStringLiteral("確認"), QStringLiteral("パスワードが違います。。"));
    return false;
}

} // namespace kpv::menu
