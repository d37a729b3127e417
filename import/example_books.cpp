#include "import/example_books.h"

#include "excel/import_books.h"

namespace kpv::import {

using excel::Block;
using excel::CellValue;

excel::Status writeLedgerItems(excel::Worksheet &sheet, const QString &startMonth, const std::vector<LedgerRecord> &records)
{
    using namespace ledger_book;
    excel::Status s = sheet.setCell(kStartMonthRow, kStartMonthCol, CellValue(startMonth));
    if (!s.ok() || records.empty()) return s;
    // Column B names the row's kind; C..AD as the import reads them.
    constexpr int firstCol = 2;
    Block block(int(records.size()) * 2, kLastCol - firstCol + 1);
    const auto put = [&](int r, int col, const QString &text) { block.at(r, col - firstCol) = CellValue(text); };
    for (size_t i = 0; i < records.size(); ++i) {
        const LedgerRecord &rec = records[i];
        const int r = int(i) * 2;
        put(r, firstCol, QStringLiteral("入庫"));
        put(r + 1, firstCol, QStringLiteral("出庫"));
        for (int col = kFirstCol; col <= kLastFieldCol; ++col) put(r, col, rec.field(col - kFirstCol));
        put(r, kStartOfUseCol, rec.field(kStartOfUseField));
        for (int row = 1; row <= 2; ++row) {
            for (int m = 1; m <= 12; ++m) put(r + row - 1, kFirstMonthCol + m - 1, rec.cell(row, m));
            put(r + row - 1, kTotalCol, rec.cell(row, 13));
            put(r + row - 1, kPlannedCol, rec.cell(row, 14));
            put(r + row - 1, kRateCol, rec.cell(row, 15));
        }
    }
    return sheet.writeBlock(kFirstRow, firstCol, block);
}

excel::Status writeWordLists(excel::Worksheet &sheet, const std::array<QStringList, 5> &lists)
{
    using namespace word_book;
    qsizetype rows = 0;
    for (const auto &l : lists) rows = std::max(rows, l.size());
    if (rows == 0) return {};
    Block block(int(rows), kLists);
    for (int c = 0; c < kLists; ++c)
        for (int r = 0; r < lists[size_t(c)].size(); ++r) block.at(r, c) = CellValue(lists[size_t(c)].at(r));
    return sheet.writeBlock(kFirstRow, kFirstCol, block);
}

} // namespace kpv::import
