#pragma once
// Deleting items from the ledger: the panel lists the ledger, each deleted
// row moves the rows below it up by one, and registering makes the ledger
// hold exactly the records still listed, in list order. Nothing is written
// before registering; closing drops the deletions.

#include "search/ledger_session.h"

namespace kpv::search {

class DeleteSession : public LedgerSession {
public:
    using LedgerSession::LedgerSession;

    // Opens the panel: takes the session lock and lists the ledger. False
    // (the user was told) when another PC holds it.
    bool open();
    // "行削除" on list row r (from 1). False, and nothing changes, for a row
    // that lists nothing (the heading, an already emptied row).
    bool deleteRow(int listRow);
    // The items still listed (the panel's remaining count).
    int remaining() const { return int(m_listed.size()); }
    // "登　録": the ledger keeps the listed records only.
    bool registerDeletions();

    int indexRow(int listRow) const override;

private:
    std::vector<int> m_listed;  // index rows (= record numbers) in list order
};

} // namespace kpv::search
