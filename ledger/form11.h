#pragma once
// Form11, the ledger screen "在庫台帳登録": the item list page by page with
// the count and the total value, and the item card. The window builds its
// panels, shows the state of its LedgerSession and forwards the buttons; the
// rules live in the session.
//
// Other parts of the screen attach here: the entry helpers listen to the
// card's cell clicks (fieldCellClicked, monthCellClicked, itemNumberClicked)
// and fill the word-list panel Picture1 and the start-of-use panel
// Picture21; narrowing, sorting and deleting use the command bar buttons,
// the panels Picture27, Picture17, Picture8 and Picture6. Every panel is a
// typed member, built by its own function below.

#include "ledger/card_panel.h"
#include "ledger/ledger_session.h"
#include "ledger/list_panel.h"

#include <QDate>
#include <QWidget>

#include <functional>

class QPushButton;

namespace kpv {
class Dolvb;
}
namespace kpv::ui {
class PictureBox;
}

namespace kpv::ledger {

class Form11 : public QWidget {
    Q_OBJECT
public:
    // endProgram ends the program (all clients stopped by the administrator).
    explicit Form11(Dolvb &d, std::function<void()> endProgram = {}, const QDate &today = QDate::currentDate(),
                    QWidget *parent = nullptr);

    LedgerSession &session() { return m_session; }
    ListPanel &listPanel() { return m_list; }
    CardPanel &cardPanel() { return m_card; }

    // Resets the screen to the list state (every command starts with it).
    // False when the program is ending.
    bool fom11gamencler();
    // Shows the session's state: list, labels, card.
    void refresh();

    // ---- Controls and panels other parts attach to ---------------------------
    ui::PictureBox *background = nullptr;  // Picture30
    ui::PictureBox *commandBar = nullptr;  // Picture3
    QPushButton *monthlyImport = nullptr;  // Command28
    QPushButton *sort = nullptr;           // Command31
    QPushButton *remove = nullptr;         // Command33
    QPushButton *narrow = nullptr;         // Command29
    QPushButton *correct = nullptr;        // Command23
    QPushButton *newItem = nullptr;        // Command9
    QPushButton *ledgerBook = nullptr;     // Command6
    QPushButton *close = nullptr;          // Command4
    QPushButton *machineSpec = nullptr;    // Command42 (no action)
    ui::PictureBox *pickList = nullptr;    // Picture1
    ui::PictureBox *sortPanel = nullptr;   // Picture8
    ui::PictureBox *importPanel = nullptr; // Picture24
    ui::PictureBox *narrowPanel = nullptr; // Picture6
    ui::PictureBox *progress = nullptr;    // Picture5
    ui::PictureBox *startOfUse = nullptr;  // Picture21

signals:
    void fieldCellClicked(int col);
    void monthCellClicked(int row, int col);
    void itemNumberClicked();

private:
    void buildWindow();
    void buildCommandBar();
    void buildPanels();
    void connectList();
    void connectCard();
    void applySettings();
    // Runs a command of the session, then shows the new state.
    template <class F> void run(F &&f)
    {
        f();
        refresh();
    }

    LedgerSession m_session;
    ListPanel m_list;
    CardPanel m_card;
};

} // namespace kpv::ledger
