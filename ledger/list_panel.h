#pragma once
// The list panel of the ledger screen (Picture7): the list grid f1Grid1 with
// its labels, the total and its buttons, and the two paging panels. Builds
// the controls and shows a ListPage; the screen connects the buttons.

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace kpv::ui {
class ClickLabel;
class FlexGrid;
class PictureBox;
} // namespace kpv::ui

namespace kpv::ledger {

class LedgerSession;
class ListPage;
struct ListLook;

class ListPanel {
public:
    // Builds Picture7 and the paging panel Picture4 inside parent (Picture30).
    void build(QWidget *parent);
    // Column widths, alignments and line heights of the list grid.
    void layoutGrid(const ListLook &look);
    // Shows the headers and every line of the page.
    void showPage(const ListPage &page, const ListLook &look);
    // Count, page, total, start month and the indicators.
    void showLabels(const LedgerSession &s);

    ui::PictureBox *panel = nullptr;      // Picture7
    ui::FlexGrid *grid = nullptr;         // f1Grid1
    QLabel *startMonth = nullptr;         // Label27
    QLabel *count = nullptr;              // Label8
    QLabel *pageNo = nullptr;             // Label15
    QLabel *total = nullptr;              // Label16
    ui::ClickLabel *backupNote = nullptr; // Label6
    QLabel *backup = nullptr;             // Label71
    QLabel *cardIndicator = nullptr;      // Label9
    QPushButton *recalculate = nullptr;   // Command24
    QPushButton *explain = nullptr;       // Command20
    ui::PictureBox *narrowButtons = nullptr; // Picture27: the narrowing buttons go here
    ui::PictureBox *paging = nullptr;     // Picture4
    QPushButton *nextPage = nullptr;      // Command1
    QPushButton *previousPage = nullptr;  // Command2
    ui::PictureBox *narrowPaging = nullptr; // Picture17: paging of a narrowed list
};

} // namespace kpv::ledger
