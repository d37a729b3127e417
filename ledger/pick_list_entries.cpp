#include "ledger/pick_list_entries.h"

#include "storage/numbers.h"

#include <algorithm>

namespace kpv::ledger {

QString pickListEntry(int number, const QString &word)
{
    const int spaces = number < 10 ? 4 : number < 1000 ? 3 : 2;
    return QString::number(number) + QString(spaces, u' ') + word;
}

QStringList pickListEntries(const PickLists &table, int list, int count)
{
    count = std::clamp(count, 0, PickLists::kMaxEntries);
    QStringList out;
    out.reserve(count);
    for (int i = 1; i <= count; ++i) out << pickListEntry(i, table.word(i, list));
    return out;
}

int pickedWordNumber(const QString &entry)
{
    const double n = leadingNumber(entry);
    return n >= 1 && n <= PickLists::kMaxEntries ? int(n) : 0;
}

} // namespace kpv::ledger
