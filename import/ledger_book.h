#pragma once
// Reading the ledger import book into ledger records, checked whole.
//
// The book is read in blocks of rows (never cell by cell) from row 5 until
// the first receipts row whose name (column D) is empty. Each item becomes a
// record that starts empty (all bytes NUL): only the fields and monthly cells
// the book maps are assigned, so spare fields, row 0 and month slot 0 stay
// never-assigned, and field 11 too unless the start-of-use switch is on.
// The achievement rates are computed; the stock figures are taken as they
// stand. Nothing is written here: the caller writes when the check passed.

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
};

// Reads the first worksheet. maxItems: the most items that may be written;
// an item beyond it only sets overCapacity.
excel::Result<LedgerBookContent> readLedgerBook(excel::Worksheet &sheet, bool readStartOfUse, int maxItems);
// The whole book: after a first sheet filled to its last row the items go on
// on the following sheets (same layout, from row 5), each read while the one
// before it was full. The start month is read from the first sheet only.
excel::Result<LedgerBookContent> readLedgerBook(excel::Workbook &book, bool readStartOfUse, int maxItems);

// The achievement rate of a total against its plan: the integer part of
// 1000 x total / planned (tenths of a percent) as decimal text; empty when
// either reads as zero.
QString achievementRate(const QString &total, const QString &planned);

} // namespace kpv::import
