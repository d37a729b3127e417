#pragma once
// What the narrowing, sort and delete panels need of the ledger screen that
// hosts them: the list grid, the screen's reset, painting a page of given
// records, going back to the whole ledger, the count and page labels, and
// the command bar's state. The screen implements it; the panels never reach
// into the screen otherwise.

#include <QString>

#include <vector>

namespace kpv::ui {
class FlexGrid;
}

namespace kpv::search {

class ListHost {
public:
    virtual ~ListHost() = default;
    // The list grid f1Grid1 (current cell, headings in row 0, cell texts).
    virtual ui::FlexGrid &listGrid() = 0;
    // The reset every command starts with, for a panel that closes the item
    // card: false when the panel must not open (the program is ending, or
    // the user kept the card's values not yet registered).
    virtual bool resetListState() = 0;
    // Paints the 12 items of one page: record numbers, 0 for an empty place.
    virtual void showRecords(const std::vector<int> &recordNos) = 0;
    // Back to the whole ledger: page 1, its count, page and total labels.
    virtual void showWholeLedger() = 0;
    // The count (Label8) and page (Label15) labels.
    virtual void setCountAndPage(const QString &count, const QString &page) = 0;
    // While narrowing the normal paging, the item card, the sort panel and
    // the command bar's "絞　込", "Sort", "削　除" and "在庫品Excel" are
    // hidden; afterwards they come back as this client's switches allow.
    virtual void setNarrowingMode(bool narrowing) = 0;
    // Before the sort or delete panel opens: the item card and the
    // narrowing panel are hidden.
    virtual void hideCardAndNarrowing() = 0;
};

} // namespace kpv::search
