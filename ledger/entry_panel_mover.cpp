#include "ledger/entry_panel_mover.h"

#include "ledger/entry_panels.h"
#include "ui/clickable.h"
#include "ui/flex_grid.h"
#include "ui/twips.h"

#include <QMouseEvent>

namespace kpv::ledger {

namespace {

ui::ClickLabel *arrow(QWidget *parent, const QString &name, const QString &text, const QString &accessible, int left, int top)
{
    auto *l = new ui::ClickLabel(parent, name, text);
    l->setAccessibleName(accessible);
    l->setAlignment(Qt::AlignCenter);
    l->setFrameShape(QFrame::Box);
    ui::setGeometryTwips(l, left, top, 420, 360);
    return l;
}

void moveTo(QWidget *w, QPoint twips) { ui::moveTwips(w, twips.x(), twips.y()); }

} // namespace

EntryPanelMover::EntryPanelMover(QWidget *card, QWidget *cardFrame, QWidget *narrow, ui::FlexGrid *list, QWidget *listPanel)
    : QObject(card), m_card(card), m_cardFrame(cardFrame), m_narrow(narrow), m_list(list)
{
    m_cardFrame->installEventFilter(this);
    const int right = ui::pxToTwips(cardFrame->width());
    m_picture2 = arrow(cardFrame, QStringLiteral("Picture2"), QStringLiteral("▼"), QStringLiteral("枠を下へ"), right - 1000, 120);
    m_picture9 = arrow(cardFrame, QStringLiteral("Picture9"), QStringLiteral("▲"), QStringLiteral("枠を元の位置へ"), right - 540, 120);
    connect(m_picture2, &ui::ClickLabel::clicked, this, [this] { moveTo(m_card, kCardDown); });
    connect(m_picture9, &ui::ClickLabel::clicked, this, [this] { moveTo(m_card, kCardHome); });

    if (m_narrow) {
        m_narrow->installEventFilter(this);
        const int nr = ui::pxToTwips(m_narrow->width());
        m_picture16 = arrow(m_narrow, QStringLiteral("Picture16"), QStringLiteral("▲"), QStringLiteral("絞込枠を上へ"), nr - 1000, 60);
        m_picture23 = arrow(m_narrow, QStringLiteral("Picture23"), QStringLiteral("▼"), QStringLiteral("絞込枠を下へ"), nr - 540, 60);
        connect(m_picture16, &ui::ClickLabel::clicked, this, [this] { moveTo(m_narrow, kNarrowTop); });
        connect(m_picture23, &ui::ClickLabel::clicked, this, [this] { moveTo(m_narrow, kNarrowBottom); });
    }

    const int lr = ui::pxToTwips(listPanel->width());
    m_picture11 = arrow(listPanel, QStringLiteral("Picture11"), QStringLiteral("≪"), QStringLiteral("文字列を狭める"), lr - 1000, 120);
    m_picture13 = arrow(listPanel, QStringLiteral("Picture13"), QStringLiteral("≫"), QStringLiteral("文字列を戻す"), lr - 540, 120);
    const auto widths = [this](const std::vector<std::pair<int, int>> &cols) {
        for (const auto &[col, width] : cols) m_list->setColWidthTwips(col, width);
    };
    connect(m_picture11, &ui::ClickLabel::clicked, this, [widths] { widths(narrowListColumns()); });
    connect(m_picture13, &ui::ClickLabel::clicked, this, [widths] { widths(restoredListColumns()); });
}

bool EntryPanelMover::eventFilter(QObject *watched, QEvent *event)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if ((press || release) && (watched == m_cardFrame || (m_narrow && watched == m_narrow))) {
        auto *me = static_cast<QMouseEvent *>(event);
        auto *frame = static_cast<QWidget *>(watched);
        // Only the frame's own background moves the panel, not its controls.
        if (frame->childAt(me->position().toPoint())) return false;
        QWidget *panel = watched == m_cardFrame ? m_card : m_narrow;
        QWidget *area = panel->parentWidget();
        const QPoint at = area->mapFromGlobal(me->globalPosition().toPoint());
        const QPoint twips(ui::pxToTwips(at.x()), ui::pxToTwips(at.y()));
        moveTo(panel, panel == m_card ? cardPanelPosition(twips, PanelMove::Button) : narrowPanelPosition(twips, PanelMove::Button));
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kpv::ledger
