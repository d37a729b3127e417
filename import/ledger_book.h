#pragma once
// Reading the ledger import book into ledger records, checked whole.
//
// The first sheet must have the layout: the headings of K, L, M, N and AB in
// row 3 or 4, and items from row 5 on. The items are read in blocks of rows
// (never cell by cell) until the first item whose two rows are empty in
// every column C to AD; an item without a name but with other values is an
// item like any other. Text fields (item number, name, specification, maker,
// location, unit, start of use) are read as the cell shows them; quantities
// and prices by their values. Each item becomes a record that starts empty
// (all bytes NUL): only the fields and monthly cells the book maps are
// assigned, so spare fields, row 0 and month slot 0 stay never-assigned, and
// field 11 too unless the start-of-use switch is on. The achievement rates
// are computed; the stock figures are taken as they stand. Nothing is
// written here: the caller writes when the check passed.

#include "excel/spreadsheet.h"
#include "import/cell_check.h"
#include "storage/ledger_record.h"

#include <QString>

#include <vector>

namespace kpv::import {

struct LedgerBookContent {
    QString startMonth;                 // O4 cleaned, its first 7 characters
    std::vector<LedgerRecord> records;  // item k in records[k - 1]
    bool overCapacity = false;          // the book holds more than maxItems items
    CellCheck check;                    // every cell that cannot be stored
    QString refusal;                    // what makes it no ledger book of the layout; empty when it is one
};

// The whole book: the first sheet, and after a first sheet filled to its
// last row the following sheets (same layout, from row 5), each read while
// the one before it was full. The start month is read from the first sheet
// only. merged: the merged areas of the first sheet; one that hides a cell
// read refuses the book. maxItems: the most items that may be written; an
// item beyond it only sets overCapacity.
excel::Result<LedgerBookContent> readLedgerBook(excel::Workbook &book, bool readStartOfUse, int maxItems,
                                                const std::vector<excel::Range> &merged = {});

// The row (3 or 4) of the first sheet's headings in a block of rows 3 and 4,
// columns C to AD; 0 when neither row holds them.
int ledgerHeadingRow(const excel::Block &rows3and4);

// The achievement rate of a total against its plan: the integer part of
// 1000 x total / planned (tenths of a percent) as decimal text; empty when
// either reads as zero.
QString achievementRate(const QString &total, const QString &planned);

} // namespace kpv::import
