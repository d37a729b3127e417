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
#include "ui/screen_seam.h"
#include "search/list_host.h"

#include <QDate>
#include <QWidget>

#include <functional>
#include <memory>

class QPushButton;

namespace kpv {
class Dolvb;
}
namespace kpv::ui {
class PictureBox;
}
namespace kpv::search {
class NarrowPanel;
class SortPanel;
}

namespace kpv::ledger {

class EntryHelpers;

class Form11 : public QWidget, private search::ListHost {
    Q_OBJECT
public:
    // As the menu opens it.
    explicit Form11(menu::ScreenServices &services);
    // endProgram ends the program (all clients stopped by the administrator).
    explicit Form11(Dolvb &d, std::function<void()> endProgram = {}, const QDate &today = QDate::currentDate(),
                    QWidget *parent = nullptr);

    LedgerSession &session() { return m_session; }
    ListPanel &listPanel() { return m_list; }
    CardPanel &cardPanel() { return m_card; }
    EntryHelpers &entryHelpers() { return *m_entry; }
    search::NarrowPanel &narrowing() { return *m_narrow; }
    search::SortPanel &sorting() { return *m_sortPanel; }

    // Resets the screen to the list state (every command starts with it):
    // the card's open entry ends and its tools close. False when the program
    // is ending, or text typed into the text box could not be stored (the
    // user was told; the command stops there).
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
    QPushButton *machineDetails = nullptr;    // Command42 (no action)
    ui::PictureBox *pickList = nullptr;    // Picture1
    ui::PictureBox *sortPanel = nullptr;   // Picture8
    ui::PictureBox *importPanel = nullptr; // Picture24
    ui::PictureBox *narrowPanel = nullptr; // Picture6
    ui::PictureBox *progress = nullptr;    // Picture5
    ui::PictureBox *startOfUse = nullptr;  // Picture21

protected:
    // 終 了 (and the window's own close): the card's unregistered values are
    // not discarded without a question.
    void closeEvent(QCloseEvent *event) override;

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
    // The panels a reset hides (narrowed paging, import, progress; the
    // entry tools close with the entry, see LedgerSession); opening a card
    // hides the narrowing and sorting panels too.
    void resetPanels();
    void openCardPanels();
    // Runs a command of the session, then shows the new state.
    template <class F> void run(F &&f)
    {
        f();
        afterCommand();
    }
    void afterCommand();
    void showCard();

    void connectEntry(const QDate &today);
    // Narrowing, sorting and deleting (the panels talk to the list through
    // the ListHost below).
    void buildSearchPanels();
    ui::FlexGrid &listGrid() override;
    bool resetListState() override;
    void showRecords(const std::vector<int> &recordNos) override;
    void showWholeLedger() override;
    void setCountAndPage(const QString &count, const QString &page) override;
    void setNarrowingMode(bool narrowing) override;
    void hideCardAndNarrowing() override;

    LedgerSession m_session;
    ListPanel m_list;
    CardPanel m_card;
    EntryHelpers *m_entry = nullptr;
    search::NarrowPanel *m_narrow = nullptr;
    search::SortPanel *m_sortPanel = nullptr;
    // A narrowed page is shown: the list and its labels are the narrowing's.
    bool m_narrowed = false;
};

} // namespace kpv::ledger
