#pragma once
// The movable panels of the ledger screen and the list's two views: the card
// follows the pointer on its frame (press and release), the arrow pictures
// put the card below or back in its place and the narrowing panel at the top
// or the bottom, and two pictures on the list panel narrow or restore the
// list's text columns. Bounds in entry_panels.h.

#include <QObject>

class QWidget;

namespace kpv::ui {
class ClickLabel;
class FlexGrid;
}

namespace kpv::ledger {

class EntryPanelMover : public QObject {
    Q_OBJECT
public:
    // card: Picture20 with its frame Picture19; narrow: Picture6 (may be
    // nullptr); list: the list grid and the panel its view pictures go on.
    EntryPanelMover(QWidget *card, QWidget *cardFrame, QWidget *narrow, ui::FlexGrid *list, QWidget *listPanel);

    ui::ClickLabel *cardDown() const { return m_picture2; }
    ui::ClickLabel *cardHome() const { return m_picture9; }
    ui::ClickLabel *narrowTop() const { return m_picture16; }
    ui::ClickLabel *narrowBottom() const { return m_picture23; }
    ui::ClickLabel *listNarrow() const { return m_picture11; }
    ui::ClickLabel *listRestore() const { return m_picture13; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_card;
    QWidget *m_cardFrame;
    QWidget *m_narrow;
    ui::FlexGrid *m_list;
    ui::ClickLabel *m_picture2 = nullptr;
    ui::ClickLabel *m_picture9 = nullptr;
    ui::ClickLabel *m_picture16 = nullptr;
    ui::ClickLabel *m_picture23 = nullptr;
    ui::ClickLabel *m_picture11 = nullptr;
    ui::ClickLabel *m_picture13 = nullptr;
};

} // namespace kpv::ledger
