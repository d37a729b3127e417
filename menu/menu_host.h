#pragma once
// Keeps the program going between the menu and the work screens: the menu
// unloads when a work screen opens and is loaded anew (the start-up runs
// again) when that screen closes. The work screens plug in through
// registerScreen (see screen_seam.h); a screen without a factory is shown as
// a placeholder window with the screen's caption.

#include "menu/dolv_menu.h"
#include "menu/menu_gates.h"
#include "ui/screen_seam.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <map>

namespace kpv {
class Dolvb;
}

namespace kpv::menu {

class MenuHost : public ScreenOpener {
public:
    // quit ends the event loop (QCoreApplication::quit when not given).
    explicit MenuHost(Dolvb &d, excel::Spreadsheet *spreadsheet = nullptr, std::function<void()> quit = {});

    // The factory that builds the screen's window when the menu opens it.
    void registerScreen(Screen screen, ScreenFactory factory);

    // Loads and shows the menu.
    void showMenu();
    void open(Screen screen) override;
    // Ends the program: the open screen and the menu close and the menu does
    // not come back.
    void endProgram();

    DolvMenu *menu() const { return m_menu; }
    QWidget *screen() const { return m_screen; }
    bool ended() const { return m_ended; }
    ScreenServices &services() { return m_services; }

private:
    QWidget *placeholder(Screen screen);

    Dolvb &m_d;
    std::function<void()> m_quit;
    ScreenServices m_services;
    std::map<Screen, ScreenFactory> m_factories;
    QObject m_context; // receiver of the queued return to the menu
    QPointer<DolvMenu> m_menu;
    QPointer<QWidget> m_screen;
    bool m_ended = false;
};

} // namespace kpv::menu
