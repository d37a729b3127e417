#pragma once
// Sorting the ledger into the temporary ledger, and registering the sorted
// ledger.
//
// Order: by the sort key, the cleaned item name immediately followed by the
// cleaned item number, compared as text by a Japanese collator with letter
// case ignored and numbers read digit by digit (so "D-10" comes before
// "D-2"); records with equal keys keep their ledger order. Records whose
// name is empty are left out of the sorted ledger. Records are copied whole.
// Every ledger up to the capacity is sorted.
//
// Time: the order is made on threads of their own as soon as the panel has
// read the ledger, while the user looks at the list. "Sort開始" takes it,
// writes the temporary ledger from it and meanwhile reads the ledger again
// to make sure it still holds the bytes sorted; if another client changed
// anything, the ledger is read, listed and sorted anew before anything is
// shown.

#include "search/collation.h"
#include "search/rewrite_session.h"

#include <future>

namespace kpv::search {

class SortSession : public RewriteSession {
public:
    using RewriteSession::RewriteSession;
    ~SortSession() override;

    // Opens the panel: takes the session lock and lists the ledger in its
    // present order. False (the user was told) when another PC holds it.
    bool open();
    // "Sort開始": sorts into the temporary ledger and lists it. False when
    // the ledger is empty (nothing is written).
    bool sort();
    bool sorted() const { return !m_order.empty(); }
    int sortedCount() const { return int(m_order.size()); }
    // "登　録": the ledger becomes the sorted ledger.
    bool registerSort();

    int indexRow(int listRow) const override;

private:
    void letGoOfLedger() override;

    std::future<std::vector<int>> m_prepared;  // the order being made since the opening
    std::vector<int> m_order;  // record numbers in sorted order
    int m_listed = 0;          // index rows filled
};

} // namespace kpv::search
