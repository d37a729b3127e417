#pragma once
// The program's work screens as the menu opens them: the ledger screen (with
// its workbook commands), the settings screen, the import screen and the
// common documents. The program and the tests that walk every screen
// register them through this one place.

#include "ledger/workbook_commands.h"

namespace kpv::menu {
class MenuHost;
}

namespace kpv::app {

// explained: the once-per-run explanations of the monthly buttons; it must
// outlive the host.
void registerWorkScreens(menu::MenuHost &host, ledger::MonthlyExplained &explained);

} // namespace kpv::app
