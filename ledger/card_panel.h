#pragma once
// The item card panel of the ledger screen (Picture20, holding the frame
// Picture19): the field grid MSFlexGrid1, the monthly grid MSFlexGrid2, the
// item number, mode and record number labels and the card's buttons. Builds
// the controls and shows an ItemCard; the screen connects the buttons.
// The entry helpers put their panels (word lists, start of use) beside the
// grids in Picture19 and listen to the grids' cell clicks.

#include <QString>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kpv::ui {
class ClickLabel;
class FlexGrid;
class PictureBox;
} // namespace kpv::ui

namespace kpv::ledger {

class ItemCard;

class CardPanel {
public:
    void build(QWidget *parent);
    // Headers from the item labels (1..20), widths, alignments.
    void layoutGrids(const std::array<QString, 21> &itemLabels, const ItemCard &card, bool startOfUse);
    void showCard(const ItemCard &card);

    ui::PictureBox *panel = nullptr;   // Picture20
    ui::PictureBox *frame = nullptr;   // Picture19
    QLabel *itemCaption = nullptr;     // Label1
    ui::ClickLabel *itemNumber = nullptr; // Label3
    QLabel *mode = nullptr;            // Label11
    QLabel *recordNo = nullptr;        // Label23
    ui::FlexGrid *fields = nullptr;    // MSFlexGrid1
    ui::FlexGrid *months = nullptr;    // MSFlexGrid2
    QLineEdit *text = nullptr;         // Text1
    QPushButton *registerButton = nullptr; // Command5
    QPushButton *clearAll = nullptr;       // Command17
    QPushButton *clearMovements = nullptr; // Command7
    QPushButton *copy = nullptr;           // Command22
    QPushButton *next = nullptr;           // Command18
    QPushButton *close = nullptr;          // Command37
    QPushButton *specBook = nullptr;       // Command16
    QPushButton *entryHelp = nullptr;      // Command36
};

} // namespace kpv::ledger
