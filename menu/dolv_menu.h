#pragma once
// DOLVmenu, the main menu. Loading it is the start-up sequence; it offers
// the work screens behind their gates, the hidden administration panels and
// the option switches. The window only shows state and forwards clicks to
// the menu logic.

#include "menu/hidden_clicks.h"
#include "menu/menu_gates.h"
#include "menu/option_switches.h"
#include "menu/startup.h"

#include <QDate>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kpv {
class Dolvb;
}
namespace kpv::ui {
class ClickLabel;
class PictureBox;
} // namespace kpv::ui

namespace kpv::menu {

class DolvMenu : public QWidget {
    Q_OBJECT
public:
    // Builds the window and runs the start-up sequence. endProgram ends the
    // program (the exit button).
    DolvMenu(Dolvb &d, ScreenOpener &opener, std::function<void()> endProgram, QDate today = QDate::currentDate());

    const MenuLayout &layoutState() const { return m_layout; }
    const HiddenClicks &hiddenClicks() const { return m_clicks; }

protected:
    // Closing the menu by its frame ends the program, unless it is unloading
    // for a work screen.
    void closeEvent(QCloseEvent *e) override;

private:
    void build();
    void load(QDate today);
    void hideMenuPanels();
    void applyClick(Spot spot);
    void paintBackgrounds();
    void paintBox(const QString &name, bool on);
    void paintStockLegend();
    void showUserLogo();
    void setAdministratorLabelsVisible(bool visible);
    void placeMenuButtons();
    void openScreen(Screen s);
    void toggle(Switch s);
    void onAdministrator();
    void onStopAllClients();
    void onReleaseStop();
    void onLogoOffset(const QString &text);
    void onBackgroundChosen(const QString &text);
    void onLoginEntered();

    template <class T = QWidget> T *control(const QString &name) const { return findChild<T *>(name); }

    Dolvb &m_d;
    ScreenOpener &m_opener;
    std::function<void()> m_endProgram;
    MenuGates m_gates;
    OptionSwitches m_switches;
    HiddenClicks m_clicks;
    MenuLayout m_layout;
    bool m_unloadingForScreen = false;

    ui::PictureBox *m_picture1 = nullptr;
    QLabel *m_logo = nullptr;
    QLineEdit *m_password = nullptr;
    QComboBox *m_colour = nullptr;
    QComboBox *m_logoOffset = nullptr;
};

} // namespace kpv::menu
