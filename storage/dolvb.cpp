#include "storage/dolvb.h"

#include "storage/file_names.h"
#include "storage/text.h"

namespace kpv {

QString Dolvb::clientSettingsPath() const
{
    return clientFolder + names::clientSettings();
}

QString Dolvb::sharedSettingsPath() const
{
    // Exact, case-sensitive text comparison: a slot that differs from the
    // client folder only in letter case counts as a data folder of its own.
    const bool local = clientSettings.value(1) == clientFolder;
    return (local ? clientFolder : dataFolder) + names::sharedSettings();
}

void Dolvb::loadClientSettings()
{
    // A missing file or a short one: the slots not read keep their values.
    readSettingsFile(clientSettingsPath(), clientSettings);
}

bool Dolvb::saveClientSettings()
{
    for (int slot = 1; slot <= SettingsSlots::kSlots; ++slot)
        clientSettings.set(slot, trimSpaces(clientSettings.value(slot)));
    const QString path = clientSettingsPath();
    if (writeSettingsFile(path, clientSettings)) return true;
    m_messages.tell(QStringLiteral("登録確認"), path + QLatin1Char('\r') + QStringLiteral("　設定ファイルに書き込めません。"));
    return false;
}

void Dolvb::loadSharedSettings()
{
    const bool local = clientSettings.value(1) == clientFolder;
    const int read = readSettingsFile(sharedSettingsPath(), sharedSettings);
    sharedSettingsLoadFailed = read < SettingsSlots::kSlots;
    if (sharedSettingsLoadFailed && !local) askResetDataFolder();
}

bool Dolvb::saveSharedSettings()
{
    const bool local = clientSettings.value(1) == clientFolder;
    const QString path = sharedSettingsPath();
    for (int slot = 1; slot <= SettingsSlots::kSlots; ++slot)
        sharedSettings.set(slot, cleanText(sharedSettings.value(slot)));
    if (writeSettingsFile(path, sharedSettings)) return true;
    if (!local) askResetDataFolder();
    return false;
}

void Dolvb::askResetDataFolder()
{
    const QString text = dataFolder + QLatin1Char('\r') + QStringLiteral(" データフォルダー位置がおかしいです。") + QLatin1Char('\r')
        + QStringLiteral(" 一旦クライアントフォルダー設定に戻します。");
    if (!m_messages.ask(QStringLiteral("登録確認"), text)) return;
    clientSettings.set(3, QStringLiteral("0"));
    clientSettings.set(1, clientFolder);
    saveClientSettings();
    dataFolder = clientSettings.value(1);
    changePending = 0;
    dailyIndexChecked = false;
    loadSharedSettings();
}

void Dolvb::buildItemLabels()
{
    itemLabels[0].clear();
    itemLabels[1] = QStringLiteral(" No");
    for (int pos = 2; pos <= 6; ++pos) itemLabels[size_t(pos)] = cleanText(sharedSettings.value(pos + 12));
    itemLabels[7] = QStringLiteral("単　価　 ");
    itemLabels[8] = QStringLiteral("在庫金額 ");
    itemLabels[9] = cleanText(sharedSettings.value(19));
    itemLabels[10] = QStringLiteral("前年在庫");
    itemLabels[11] = QStringLiteral("適正在庫");
    itemLabels[12] = QStringLiteral("在庫数量");
    itemLabels[13] = QStringLiteral("入出庫計 ");
    itemLabels[14] = QStringLiteral("入出庫");
    itemLabels[15] = QStringLiteral("出庫");
    itemLabels[16] = QStringLiteral("予定数量");
    itemLabels[17] = QStringLiteral("達成率（％）");
    itemLabels[18] = QStringLiteral("使用開始");
    itemLabels[19].clear();
    itemLabels[20].clear();
}

} // namespace kpv
