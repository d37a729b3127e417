#include "settings/settings_writer.h"

#include "storage/dolvb.h"
#include "storage/quoted_lines.h"

namespace kpv::settings {

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

} // namespace kpv::settings
