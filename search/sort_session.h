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

#include "search/ledger_session.h"

namespace kpv::search {

// The ascending order of the keys: positions into keys, equal keys in their
// given order.
std::vector<int> collatedOrder(const std::vector<QString> &keys);

class SortSession : public LedgerSession {
public:
    using LedgerSession::LedgerSession;

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
    std::vector<int> m_order;  // record numbers in sorted order
    int m_listed = 0;          // index rows filled
};

} // namespace kpv::search
