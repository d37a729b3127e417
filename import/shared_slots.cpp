#include "import/shared_slots.h"

#include "storage/dolvb.h"

namespace kpv::import {

bool changeSharedSlots(Dolvb &d, const std::map<int, QString> &values)
{
    SettingsSlots fresh = d.sharedSettings;
    readSettingsFile(d.sharedSettingsPath(), fresh);
    for (const auto &[slot, value] : values) {
        fresh.set(slot, value);
        d.sharedSettings.set(slot, value);
    }
    if (writeSettingsFile(d.sharedSettingsPath(), fresh)) return true;
    d.messages().tell(QStringLiteral("登録確認"), d.sharedSettingsPath() + QLatin1Char('\r') + QStringLiteral("　設定ファイルに書き込めません。"));
    return false;
}

} // namespace kpv::import
