#include "ledger/entry_panels.h"

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
