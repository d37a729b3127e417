#include "menu/first_start.h"

#include "menu/menu_slots.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/quoted_lines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>

namespace kpv::menu {

namespace {
const char16_t *const kLabels[] = {u"在庫品No", u"品名", u"仕様", u"メーカー名", u"保管場所", u"単位"};
}

bool FirstStart::setUpClient(Dolvb &d)
{
    if (QFileInfo::exists(d.clientSettingsPath())) return false;
    d.clientSettings.set(client::kDataFolder, d.clientFolder);
    d.clientSettings.set(client::kPreviousDataFolder, d.clientFolder);
    d.clientSettings.set(client::kDataFolderState, QStringLiteral("0"));
    if (const auto problem = quotedLineProblem(d.clientFolder)) {
        // The settings file cannot hold this path: a stored copy would never
        // equal the program folder again. The client runs on its program
        // folder from memory, and the user learns why nothing is kept.
        d.messages().tell(QStringLiteral("登録確認"),
                          d.clientFolder + QLatin1Char('\r') + QStringLiteral("　このフォルダー名は設定ファイルに保存できません。")
                              + QLatin1Char('\r') + QStringLiteral("　") + *problem + QLatin1Char('\r')
                              + QStringLiteral("　日本語（シフトJIS）で表せる名前のフォルダーに移してください。"));
        return true;
    }
    d.saveClientSettings(); // reports itself when the folder is not writable
    return true;
}

bool FirstStart::setUpSharedSettings(Dolvb &d, QDate today)
{
    if (d.clientSettings.value(client::kDataFolder) != d.clientFolder) return false;
    if (QFileInfo::exists(d.sharedSettingsPath())) return false;
    if (!QFileInfo(d.clientFolder).isDir()) return false;
    // A fresh store: nothing of a store read from another folder before may
    // leak into the new one.
    SettingsSlots fresh;
    for (int list = 2; list <= 6; ++list) fresh.set(shared::kFirstPickListCount + list - 2, QStringLiteral("0"));
    for (int i = 0; i < 6; ++i) fresh.set(shared::kFirstItemLabel + i, QString::fromUtf16(kLabels[i]));
    fresh.set(shared::kStartMonth, businessYearApril(today));
    d.sharedSettings = fresh;
    const bool saved = d.saveSharedSettings();
    setUpDailyBook(d, d.clientFolder);
    return saved;
}

bool FirstStart::setUpDailyBook(const Dolvb &d, const QString &dataFolder)
{
    if (dataFolder.size() < 2 || !QFileInfo(dataFolder).isDir()) return false;
    QDir data(dataFolder);
    data.mkpath(names::ledgerBooksFolder());
    data.mkpath(names::materialsFolder());
    const QString book = names::materialsFolder() + QStringLiteral("/Mb入出庫月報.xls");
    if (QFileInfo::exists(dataFolder + book)) return true;
    const QString blank = d.clientFolder + names::templatesFolder() + QStringLiteral("/Mb入出庫月報.xls");
    return QFileInfo::exists(blank) && QFile::copy(blank, dataFolder + book);
}

int FirstStart::setUpPickLists(Dolvb &d)
{
    if (d.dataFolder.size() < 2 || !QFileInfo(d.dataFolder).isDir()) return 0;
    if (!QFileInfo::exists(d.sharedSettingsPath())) return 0;
    int created = 0;
    std::map<int, QString> counts;
    for (int list = 2; list <= 6; ++list) {
        const QString path = d.dataFolder + pickListFileName(list);
        if (QFileInfo::exists(path)) continue;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) continue;
        f.close();
        ++created;
        // An empty list counts no entries; an empty count already reads 0.
        const int slot = shared::kFirstPickListCount + list - 2;
        if (d.sharedSettings.number(slot) != 0) counts[slot] = QStringLiteral("0");
    }
    if (!counts.empty()) d.changeSharedSettings(counts);
    return created;
}

QString FirstStart::businessYearApril(QDate today)
{
    const int year = today.month() >= 4 ? today.year() : today.year() - 1;
    return QStringLiteral("%1/04").arg(year, 4, 10, QLatin1Char('0'));
}

QString FirstStart::pickListFileName(int list)
{
    return names::pickListPrefix() + QStringLiteral("%1").arg(list, 2, 10, QLatin1Char('0')) + QStringLiteral(".dat");
}

} // namespace kpv::menu
