#pragma once
// Where the ledger screen's movable panels may go, and the two views of the
// list's text columns. All positions and widths in twips.
//
// The card panel follows the pointer on its frame (a press, a release or a
// drop), held inside the screen: a top of 0 or less becomes 900, a left of 0
// or less 500, a left of 14160 or more 14160, and a top becomes 8040 from
// 8640 on (button) or from 8040 on (drop). The narrowing panel moves the same
// way, except that its top is held at 0.

#include <QPoint>
#include <QRect>

#include <utility>
#include <vector>

namespace kpv::ledger {

enum class PanelMove { Button, Drop };

QPoint cardPanelPosition(QPoint pointerTwips, PanelMove how);
QPoint narrowPanelPosition(QPoint pointerTwips, PanelMove how);

// Fixed places of the buttons that move the panels.
inline constexpr QPoint kCardDown{1660, 6700};     // Picture2
inline constexpr QPoint kCardHome{1660, 3360};     // Picture9
inline constexpr QPoint kNarrowTop{12000, 40};     // Picture16
inline constexpr QPoint kNarrowBottom{12000, 8880}; // Picture23

// Where an entry panel of the card (the word list, the start-of-use chooser)
// opens so that it covers no control of the card. All in twips: the card
// panel and the screen area it lies on, the panel's own place and size. The
// panel keeps its left (moved left only as far as it must to stay on the
// screen) and goes into the band above the card or the one below it: the
// first that holds its whole height, preferring the band it starts in;
// when neither does, the higher band, with the panel shortened to it (never
// below minHeight).
QRect placeBesideCard(const QRect &card, const QRect &screen, const QRect &wanted, int minHeight);

// (list column, width) pairs of the narrow view (Picture11) and of the
// restored view (Picture13).
std::vector<std::pair<int, int>> narrowListColumns();
std::vector<std::pair<int, int>> restoredListColumns();

} // namespace kpv::ledger
