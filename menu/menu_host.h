#pragma once
// Keeps the program going between the menu and the work screens: the menu
// unloads when a work screen opens and is loaded anew (the start-up runs
// again) when that screen closes.

#include "menu/dolv_menu.h"
#include "menu/menu_gates.h"

#include <QPointer>

namespace kpv {
class Dolvb;
}

namespace kpv::menu {


class MenuHost : public ScreenOpener {
public:
    explicit MenuHost(Dolvb &d) : m_d(d) {}

    // Loads and shows the menu.
    void showMenu();
    void open(Screen screen) override;

    DolvMenu *menu() const { return m_menu; }

private:
    Dolvb &m_d;
    QPointer<DolvMenu> m_menu;
};

} // namespace kpv::menu
