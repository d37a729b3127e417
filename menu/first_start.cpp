#include "menu/first_start.h"

#include "menu/menu_slots.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/quoted_lines.h"
#include "storage/text.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <map>

namespace kpv::menu {

namespace {
const char16_t *const kLabels[] = {u"在庫品No", u"品名", u"仕様", u"メーカー名", u"保管場所", u"単位"};

// Copies every file below the sub-folders of from into the same place below
// to, where to does not have it yet; the copies are the user's to change.
// Files directly in from (the programs) stay where they are. Returns the
// first path that could not be made, or an empty text.
QString copyMissing(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to)) return to;
    const QDir source(from);
    for (const QString &sub : source.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QDirIterator it(source.filePath(sub), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        if (!QDir().mkpath(to + sub)) return to + sub;
        while (it.hasNext()) {
            const QString path = it.next();
            const QString target = to + source.relativeFilePath(path);
            if (it.fileInfo().isDir()) {
                if (!QDir().mkpath(target)) return target;
                continue;
            }
            if (QFileInfo::exists(target)) continue;
            if (!QFile::copy(path, target)) return target;
            QFile::setPermissions(target, QFile::permissions(target) | QFile::ReadOwner | QFile::WriteOwner);
        }
    }
    return {};
}
} // namespace

QString FirstStart::installedMarker() { return QStringLiteral("kpv-installed"); }

bool FirstStart::isInstalledFolder(const QString &programFolder)
{
    return QFileInfo::exists(programFolder + installedMarker());
}

QString FirstStart::userClientFolder(const QString &userDataHome)
{
    return normalizeFolderPath(userDataHome + QStringLiteral("/kpv/"));
}

QString FirstStart::clientFolderFor(Dolvb &d, const QString &programFolder, const QString &userDataHome)
{
    if (!isInstalledFolder(programFolder)) return programFolder;
    const QString own = userClientFolder(userDataHome);
    const QString failed = copyMissing(programFolder, own);
    if (failed.isEmpty()) return own;
    d.messages().tell(QStringLiteral("登録確認"),
                      QStringLiteral("利用者のフォルダーを作成できません。") + QLatin1Char('\r') + QStringLiteral("　") + failed
                          + QLatin1Char('\r') + QStringLiteral("　プログラムのフォルダーで起動します（設定は保存されません）。"));
    return programFolder;
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
