#pragma once
// The page position of the ledger list: twelve items a page, the page number
// shown, and where the next page starts.
//
// Filling a page lists the records after `listCursor` and leaves the cursor
// twelve records further on (fillPage below). The page after the last full
// one is empty when the count is a multiple of 12; moving forward past the
// last page goes back to page 1, and moving back from page 1 goes to the last
// page (or stays on page 1 when there are at most 12 items).
//
// The first forward move from the opened screen goes to page 2 (the page
// number is still 0 then). That first-move rule ends with any page move, back
// moves included: a later forward move always goes to the page after the one
// shown. An empty ledger stays on page 1.

#include <QString>

namespace kpv::ledger {

class ListPaging {
public:
    static constexpr int kItemsPerPage = 12;

    // Right after the screen opened: page 1 is shown, the page number is 0.
    void open();
    // Set the position of the next page; the caller fills it.
    void next(int recordCount);
    void previous(int recordCount);

    int listPage() const { return m_listPage; }
    int firstPageMove() const { return m_firstPageMove; }
    int listCursor() const { return m_listCursor; }
    // The page filled: the cursor moves past its twelve positions.
    void pageFilled() { m_listCursor += kItemsPerPage; }
    // Back to the start of the page last filled (to fill it again).
    void rewindPage() { m_listCursor = m_listCursor >= kItemsPerPage ? m_listCursor - kItemsPerPage : 0; }
    // " P " and the page number (page 1 right after the opening).
    QString pageLabel() const;

private:
    int m_listPage = 0;
    int m_firstPageMove = 2;
    int m_listCursor = 0;
};

} // namespace kpv::ledger
