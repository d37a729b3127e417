#pragma once
// The workbooks shipped in the program folder, written through the
// spreadsheet interface by the book generator (excel/mkbooks) at build time.
//
// The two import books have the layout the system's own outputs write, so a
// user can output a workbook, edit it and import it back:
//  - ledger book: start month in O4, headings in row 4, items from row 5 on,
//    two rows each (receipts row with the item's fields, then issues row),
//    columns C to AD;
//  - word-list book: the five word lists in columns B to F from row 5, their
//    titles in row 4;
//  - daily receipts/issues book: per item and month two rows from row 4 on,
//    the month ("yyyy/mm") in B and the item number in C of the first row,
//    day 1 to 31 in columns H to AL, month totals in G as formulas.

#include "excel/spreadsheet.h"

namespace kpv::excel {

// Paths relative to the program folder.
inline constexpr const char *kLedgerImportBook = "原本INP/Mb在庫品INP.xls";
inline constexpr const char *kWordListImportBook = "原本INP/Mb在庫品項目INP.xls";
inline constexpr const char *kDailyBook = "原本Excel/Mb入出庫月報.xls";

// Ledger book columns (1 = A).
namespace ledger_columns {
constexpr int ItemNumber = 3;    // C
constexpr int Name = 4;          // D
constexpr int StartMonthCol = 15; // O (row 4: management start month)
constexpr int StartMonthRow = 4;
constexpr int FirstMonth = 16;   // P: month slot 1
constexpr int Total = 14;        // N
constexpr int Planned = 28;      // AB
constexpr int Rate = 29;         // AC
constexpr int StartOfUse = 30;   // AD
constexpr int FirstItemRow = 5;
} // namespace ledger_columns

// Daily book.
namespace daily_columns {
constexpr int Month = 2;       // B
constexpr int ItemNumber = 3;  // C
constexpr int Total = 7;       // G
constexpr int FirstDay = 8;    // H (day 1) .. AL (day 31)
constexpr int FirstRow = 4;
constexpr int Pairs = 300;     // item-month pairs prepared with formulas
} // namespace daily_columns

// Each writes the book's content on an empty first sheet.
Status WriteTemplateBook(Worksheet &sheet);
Status WriteLedgerImportBook(Worksheet &sheet);
Status WriteWordListImportBook(Worksheet &sheet);
Status WriteDailyBook(Worksheet &sheet);

} // namespace kpv::excel
