#include "storage/dolvb.h"

#include "storage/file_names.h"
#include "storage/quoted_lines.h"
#include "storage/settings_slots.h"
#include "storage/shared_change.h"
#include "storage/text.h"

#include <QDir>

namespace kpv {

QString Dolvb::clientSettingsPath() const
{
    return clientFolder + names::clientSettings();
}

QString Dolvb::sharedSettingsPath() const
{
    // Exact, case-sensitive text comparison: a slot that differs from the
    // client folder only in letter case counts as a data folder of its own.
    const bool local = clientSettings.value(slot::client::kDataFolder) == clientFolder;
    return (local ? clientFolder : dataFolder) + names::sharedSettings();
}

void Dolvb::loadClientSettings()
{
    // A missing file or a short one: the slots not read keep their values.
    readSettingsFile(clientSettingsPath(), clientSettings);
}

namespace {
// The first value of the store its file cannot hold (see quotedLineProblem).
std::optional<QString> storeProblem(const SettingsSlots &store)
{
    for (int slot = 1; slot <= SettingsSlots::kSlots; ++slot)
        if (auto p = quotedLineProblem(store.value(slot))) return p;
    return std::nullopt;
}
} // namespace

bool Dolvb::saveClientSettings()
{
    for (int slot = 1; slot <= SettingsSlots::kSlots; ++slot)
        clientSettings.set(slot, trimSpaces(clientSettings.value(slot)));
    if (const auto problem = storeProblem(clientSettings)) {
        m_messages.tell(QStringLiteral("登録確認"), *problem);
        return false;
    }
    const QString path = clientSettingsPath();
    if (writeSettingsFile(path, clientSettings)) return true;
    m_messages.tell(QStringLiteral("登録確認"), path + QLatin1Char('\r') + QStringLiteral("　設定ファイルに書き込めません。"));
    return false;
}

bool Dolvb::dataFolderUsable() const
{
    return dataFolder.size() >= 2 && QDir::isAbsolutePath(dataFolder);
}

bool Dolvb::loadSharedSettings()
{
    const bool local = clientSettings.value(slot::client::kDataFolder) == clientFolder;
    if (local || dataFolderUsable()) settlePendingChange(sharedSettingsPath());
    const int read = local || dataFolderUsable() ? readSettingsFile(sharedSettingsPath(), sharedSettings) : -1;
    if (read >= 0) m_knownFiles.insert(sharedSettingsPath());
    sharedSettingsLoadFailed = read < SettingsSlots::kSlots;
    // A "はい" reloads from the client folder and sets the flag anew.
    if (sharedSettingsLoadFailed && !local) askResetDataFolder();
    return !sharedSettingsLoadFailed;
}

bool Dolvb::saveSharedSettings()
{
    const bool local = clientSettings.value(slot::client::kDataFolder) == clientFolder;
    const QString path = sharedSettingsPath();
    if (!local && !dataFolderUsable()) {
        askResetDataFolder();
        return false;
    }
    for (int slot = 1; slot <= SettingsSlots::kSlots; ++slot)
        sharedSettings.set(slot, cleanText(sharedSettings.value(slot)));
    if (const auto problem = storeProblem(sharedSettings)) {
        m_messages.tell(QStringLiteral("登録確認"), *problem);
        return false;
    }
    if (writeSettingsFile(path, sharedSettings)) return true;
    if (!local) askResetDataFolder();
    return false;
}

void Dolvb::askResetDataFolder()
{
    const QString text = dataFolder + QLatin1Char('\r') + QStringLiteral(" データフォルダー位置がおかしいです。") + QLatin1Char('\r')
        + QStringLiteral(" 一旦クライアントフォルダー設定に戻します。");
    if (!m_messages.ask(QStringLiteral("登録確認"), text)) return;
    clientSettings.set(slot::client::kDataFolderState, QStringLiteral("0"));
    clientSettings.set(slot::client::kDataFolder, clientFolder);
    saveClientSettings();
    dataFolder = clientSettings.value(slot::client::kDataFolder);
    changePending = 0;
    dailyIndexChecked = false;
    loadSharedSettings();
}

bool Dolvb::changeSharedSettings(const std::map<int, QString> &changes)
{
    return changeSettings(true, changes);
}

bool Dolvb::changeClientSettings(const std::map<int, QString> &changes)
{
    return changeSettings(false, changes);
}

bool Dolvb::changeSettings(bool shared, const std::map<int, QString> &changes)
{
    const QString title = QStringLiteral("登録確認");
    std::map<int, QString> cleaned;
    for (const auto &[slot, value] : changes) cleaned[slot] = shared ? cleanText(value) : trimSpaces(value);
    const bool local = clientSettings.value(slot::client::kDataFolder) == clientFolder;
    const QString path = shared ? sharedSettingsPath() : clientSettingsPath();
    SettingsSlots &memory = shared ? sharedSettings : clientSettings;
    if (shared && !local && !dataFolderUsable()) {
        askResetDataFolder();
        return false;
    }
    QString problem;
    switch (changeSettingsFile(path, memory, cleaned, &problem, knownFile(path))) {
    case SettingsChange::Written:
        for (const auto &[slot, value] : cleaned) memory.set(slot, value);
        return true;
    case SettingsChange::Refused:
        m_messages.tell(title, problem.isEmpty() ? QStringLiteral("設定できない値です。") : problem);
        return false;
    case SettingsChange::Busy:
        m_messages.tell(title, path + QLatin1Char('\r') + QStringLiteral("　設定ファイルを他のクライアントが使用中です。")
                                   + QLatin1Char('\r') + QStringLiteral("　しばらくしてから設定してください。"));
        return false;
    case SettingsChange::Failed:
        break;
    }
    if (shared && !local) {
        askResetDataFolder();
    } else {
        m_messages.tell(title, path + QLatin1Char('\r') + QStringLiteral("　設定ファイルに書き込めません。"));
    }
    return false;
}

bool Dolvb::putSharedSettings(SharedChange &change, std::map<int, QString> &changes, QString *problem)
{
    for (auto &[slot, value] : changes) value = cleanText(value);
    const QString path = sharedSettingsPath();
    QByteArray now;
    const io::ReadStatus read = change.read(path, now);
    if (read == io::ReadStatus::Failed || (read == io::ReadStatus::Missing && knownFile(path))) return false;
    QByteArray next;
    if (!changedSettingsBytes(now, sharedSettings, changes, next, problem)) return false;
    change.put(path, next);
    return true;
}

void Dolvb::sharedSettingsChanged(const std::map<int, QString> &changes)
{
    for (const auto &[slot, value] : changes) sharedSettings.set(slot, value);
    m_knownFiles.insert(sharedSettingsPath());
}

void Dolvb::buildItemLabels()
{
    itemLabels[0].clear();
    itemLabels[1] = QStringLiteral(" No");
    for (int pos = 2; pos <= 6; ++pos)
        itemLabels[size_t(pos)] = cleanText(sharedSettings.value(slot::shared::kFirstItemLabel + pos - 2));
    itemLabels[7] = QStringLiteral("単　価　 ");
    itemLabels[8] = QStringLiteral("在庫金額 ");
    itemLabels[9] = cleanText(sharedSettings.value(slot::shared::kUnitLabel));
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
