#pragma once
// The entries of the word list panel: each word shown after its number and a
// run of spaces that keeps short numbers in line (4 spaces after 1..9, 3
// after 10..999, 2 from 1000 on). A picked entry is resolved by its leading
// number alone, so the width of the run never matters, also past 9999.

#include "storage/pick_lists.h"

#include <QString>
#include <QStringList>

namespace kpv::ledger {

QString pickListEntry(int number, const QString &word);
// Entries 1..count of a list (count is held to the table's size).
QStringList pickListEntries(const PickLists &table, int list, int count);
// The word number an entry stands for; 0 when it starts with no number.
int pickedWordNumber(const QString &entry);

} // namespace kpv::ledger
