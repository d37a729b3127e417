#include "ledger/entry_panels.h"

#include <algorithm>

namespace kpv::ledger {

namespace {

QPoint held(QPoint p, PanelMove how, int topAtZero)
{
    int left = p.x();
    int top = p.y();
    if (top <= 0) top = topAtZero;
    if (left <= 0) left = 500;
    if (left >= 14160) left = 14160;
    if (top >= (how == PanelMove::Button ? 8640 : 8040)) top = 8040;
    return {left, top};
}

} // namespace

QPoint cardPanelPosition(QPoint pointerTwips, PanelMove how) { return held(pointerTwips, how, 900); }
QPoint narrowPanelPosition(QPoint pointerTwips, PanelMove how) { return held(pointerTwips, how, 0); }

QRect placeBesideCard(const QRect &card, const QRect &screen, const QRect &wanted, int minHeight)
{
    const int gap = 40;
    int left = std::min(wanted.left(), screen.right() + 1 - wanted.width());
    left = std::max(left, screen.left());
    const int aboveTop = screen.top();
    const int aboveBottom = card.top() - gap;            // the band above the card
    const int belowTop = card.bottom() + 1 + gap;         // the band below it
    const int belowBottom = screen.bottom() + 1;
    const int above = std::max(0, aboveBottom - aboveTop);
    const int below = std::max(0, belowBottom - belowTop);
    const int h = wanted.height();
    const bool startsAbove = wanted.top() < card.top();
    const auto inAbove = [&](int height) { return QRect(left, std::max(aboveTop, aboveBottom - height), wanted.width(), height); };
    const auto inBelow = [&](int height) { return QRect(left, belowTop, wanted.width(), height); };
    if (startsAbove && above >= h) return QRect(left, std::max(aboveTop, std::min(wanted.top(), aboveBottom - h)), wanted.width(), h);
    if (below >= h) return inBelow(h);
    if (above >= h) return inAbove(h);
    if (above >= below) return inAbove(std::max(above, minHeight));
    return inBelow(std::max(below, minHeight));
}

std::vector<std::pair<int, int>> narrowListColumns()
{
    std::vector<std::pair<int, int>> out{{1, 1400}, {2, 1400}};
    for (int c = 3; c <= 9; ++c) out.emplace_back(c, 0);
    return out;
}

std::vector<std::pair<int, int>> restoredListColumns()
{
    std::vector<std::pair<int, int>> out{{1, 2400}, {2, 2400}, {3, 2400}, {4, 2400}, {5, 1800}};
    for (int c = 6; c <= 9; ++c) out.emplace_back(c, 1000);
    return out;
}

} // namespace kpv::ledger
