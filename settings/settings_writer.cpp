#include "settings/settings_writer.h"

#include "storage/dolvb.h"

#if __has_include("storage/settings_slots.h")
#include "storage/quoted_lines.h"
#define KPV_HAVE_SLOT_CHANGES 1
#else
#include "storage/codepage.h"
#include "storage/files.h"
#include "storage/quoted_lines.h"

#include <algorithm>
#endif

namespace kpv::settings {

#ifdef KPV_HAVE_SLOT_CHANGES

std::optional<QString> valueProblem(const QString &value)
{
    return quotedLineProblem(value);
}

bool changeShared(Dolvb &d, const std::map<int, QString> &changes)
{
    if (changes.empty()) return true;
    return d.changeSharedSettings(changes);
}

bool changeClient(Dolvb &d, const std::map<int, QString> &changes)
{
    if (changes.empty()) return true;
    return d.changeClientSettings(changes);
}

bool saveList(Dolvb &d, int list)
{
    return d.savePickList(list);
}

#else // interim: whole-file writes until the locked slot changes are there

std::optional<QString> valueProblem(const QString &value)
{
    cp932::Refusal r;
    if (value.contains(u'"')) return QStringLiteral("使えない文字があります。　\"");
    if (value.contains(u'\r') || value.contains(u'\n')) return QStringLiteral("改行は使えません。");
    if (!cp932::canEncode(value, &r)) return QStringLiteral("使えない文字があります。　") + r.character;
    return std::nullopt;
}

bool changeShared(Dolvb &d, const std::map<int, QString> &changes)
{
    if (changes.empty()) return true;
    for (const auto &[slot, value] : changes) {
        if (auto p = valueProblem(value)) {
            d.messages().tell(QStringLiteral("登録確認"), *p);
            return false;
        }
    }
    SettingsSlots file;
    if (readSettingsFile(d.sharedSettingsPath(), file) < 0) file = d.sharedSettings;
    for (const auto &[slot, value] : changes) {
        file.set(slot, value);
        d.sharedSettings.set(slot, value);
    }
    return writeSettingsFile(d.sharedSettingsPath(), file);
}

bool changeClient(Dolvb &d, const std::map<int, QString> &changes)
{
    if (changes.empty()) return true;
    SettingsSlots file;
    if (readSettingsFile(d.clientSettingsPath(), file) < 0) file = d.clientSettings;
    for (const auto &[slot, value] : changes) {
        file.set(slot, value);
        d.clientSettings.set(slot, value);
    }
    return writeSettingsFile(d.clientSettingsPath(), file);
}

bool saveList(Dolvb &d, int list)
{
    const int count = int(std::min<double>(d.sharedSettings.number(list + 1), PickLists::kMaxEntries));
    QuotedLineWriter w;
    for (int i = 1; i <= count; ++i) w.optional(d.pickListTable.id(i, list)).quoted(d.pickListTable.word(i, list)).endLine();
    return replaceFile(d.pickListPath(list), w.bytes());
}

#endif

} // namespace kpv::settings
