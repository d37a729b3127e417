#include "app/work_screens.h"

#include "import/form10.h"
#include "ledger/form11.h"
#include "menu/common_documents.h"
#include "menu/menu_host.h"
#include "settings/form2.h"

namespace kpv::app {

void registerWorkScreens(menu::MenuHost &host, ledger::MonthlyExplained &explained)
{
    host.registerScreen(menu::Screen::Ledger, [&explained](menu::ScreenServices &s) {
        auto *form = new ledger::Form11(s);
        new ledger::WorkbookCommands(*form, s.spreadsheet, explained);
        return form;
    });
    host.registerScreen(menu::Screen::Settings,
                        [](menu::ScreenServices &s) { return new settings::Form2(s.d, s.spreadsheet); });
    host.registerScreen(menu::Screen::Import, [](menu::ScreenServices &s) { return new import::Form10(s); });
    host.registerScreen(menu::Screen::CommonDocuments,
                        [](menu::ScreenServices &s) { return new menu::CommonDocuments(s); });
}

} // namespace kpv::app
