#pragma once
// The menu's two warning boxes: lit when any item of the ledger has no stock
// or less stock than its proper stock. Found by one pass over the ledger
// file in large blocks, looking only at the two stock fields of each record;
// an item whose stock was never computed (empty field) lights neither box.

#include <QString>

namespace kpv::ledger {

struct StockLegend {
    bool belowProper = false; // some stock below its proper stock
    bool zero = false;        // some stock of 0
};

// The ledger file at path; a missing or unreadable file lights nothing.
StockLegend scanStockLegend(const QString &ledgerPath);

} // namespace kpv::ledger
