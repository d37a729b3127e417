#pragma once
// The content of one page of the ledger list as the list grid shows it: a
// header line and 24 lines, two per item (receipts, then issues), 29 columns,
// and the stock shade of each receipts line. Building a page reads the
// records into the ledger's record buffer; the item card keeps its own
// values and is not touched.

#include "storage/file_identity.h"
#include "storage/list_format.h"
#include "storage/ledger_record.h"

#include <QString>

#include <array>

namespace kpv {
class Dolvb;
}

namespace kpv::ledger {

class ListPaging;

struct ListLook {
    QuantityMode mode;
    bool startOfUse = false; // the "使用開始年" column is used
    int lastColumn() const { return startOfUse ? 28 : 27; }
};

class ListPage {
public:
    static constexpr int kLines = 24;
    static constexpr int kColumns = 29;

    // Header line 0 from the item labels (1..20) and the month headings.
    void setHeaders(const std::array<QString, 21> &itemLabels, const QStringList &months, const ListLook &look);

    // Fills item k (1..12) from a record: lines 2k - 1 and 2k.
    void setItem(int k, int recordNo, const LedgerRecord &record, const ListLook &look);
    // Empties both lines of item k.
    void clearItem(int k);
    void clearAll();

    const QString &cell(int line, int column) const { return m_cells[size_t(line)][size_t(column)]; }
    StockShade shade(int line) const { return m_shade[size_t(line)]; }
    // The record number in column 0 of a line (0 for an issues line or an
    // empty line).
    int recordNoAt(int line) const;
    // Counts the items that a page move changes (for tests and benchmarks).
    int itemCount() const;

private:
    std::array<std::array<QString, kColumns>, kLines + 1> m_cells;
    std::array<StockShade, kLines + 1> m_shade{};
};

// Fills the page after the paging's cursor from the ledger (reopened, so
// records other clients appended are seen) and moves the cursor on by 12.
// readFrom, when given, gets the ledger file the page was read from.
void fillListPage(Dolvb &d, ListPaging &paging, ListPage &page, const ListLook &look, FileIdentity *readFrom = nullptr);

} // namespace kpv::ledger
