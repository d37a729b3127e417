#include "storage/all_clients_stop.h"

#include "storage/dolvb.h"
#include "storage/settings_slots.h"

namespace kpv::menu {

bool checkAllClientsStop(Dolvb &d)
{
    d.loadSharedSettings();
    if (!d.sharedSettings.isOn(slot::shared::kAllClientsStopped) || d.clientSettings.isOn(slot::client::kAdministrator)) return false;
    d.messages().tell(QStringLiteral("管理確認"),
                      QStringLiteral(" 管理者権限で全クライアントサーバが停止設定されました。 ") + QLatin1Char('\r')
                          + QStringLiteral(" ソフトを停止します。 "));
    return true;
}

} // namespace kpv::menu
