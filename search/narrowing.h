#pragma once
// The narrowed list: the record numbers found by a scan of the ledger, the
// page of them shown, and the paging through them.
//
// A scan reads the ledger once, in record order; re-narrowing reads only the
// records already found and keeps those that still match, in their order.
// A page holds 12 items; page p starts after (p - 1) * 12 entries. The number
// of pages is count / 12 + 1, so a count that is a multiple of 12 has a last,
// empty page, and paging wraps at both ends.

#include "search/narrow_conditions.h"
#include "storage/file_identity.h"

#include <vector>

namespace kpv {
class Dolvb;
}

namespace kpv::search {

class Narrowing {
public:
    // The ledger file the last scan read (its record numbers are the
    // result's).
    const FileIdentity &readFrom() const { return m_readFrom; }
    // NarrowResult: the record numbers found, in the order found.
    const std::vector<int> &result() const { return m_result; }
    int count() const { return int(m_result.size()); }
    int pages() const { return count() / kPageItems + 1; }

    // ListCursor (entries before the first item of the page) and ListPage.
    int cursor() const { return m_cursor; }
    int page() const { return m_page; }

    // Scans records 1..the ledger's count (counted anew). The result replaces
    // the earlier one; page 1 is current. Returns the count.
    int narrowLedger(Dolvb &d, const Conditions &conditions);
    // Keeps the entries of the result whose records still match, in order.
    int narrowAgain(Dolvb &d, const Conditions &conditions);

    // The record numbers of the current page's 12 places; 0 for an empty place.
    std::vector<int> pageRecords() const;

    void nextPage();
    void previousPage();
    // Back to no result, page 1.
    void clear();

private:
    std::vector<int> m_result;
    int m_cursor = 0;
    int m_page = 1;
    FileIdentity m_readFrom;
};

} // namespace kpv::search
