#pragma once
// The entries of the start-of-use chooser: every month from January ten
// years back to December of next year, written "2015/01" .. "2026/12"
// (144 entries).

#include <QStringList>

namespace kpv::ledger {

QStringList startOfUseEntries(int currentYear);

} // namespace kpv::ledger
