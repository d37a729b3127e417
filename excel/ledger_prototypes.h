#pragma once
// The formatted items the office makes for the ledger workbook's stored-book
// writer, and the check that the book it stored still carries the formats
// that writer expects.
//
// The office writes, below the titles of each sheet, one item of every
// warning (none, below proper stock, out of stock) and every kind of content
// the office formats apart (empty, number, text whose font follows a script:
// none, Latin, Japanese), each group followed by a plain item so that no item
// sampled touches one of another warning; then one plain item per sample of
// the script rule (texts whose first letters mix scripts). The writer copies
// the format record (XF) of the sampled cell of the same warning, content,
// line and column into every item cell it writes.
//
// Before it does, the formats are checked against what the writer assumes,
// so that a newer office cannot change the book's look unnoticed: every
// sampled cell has a record of its own; item cells are text-formatted ("@",
// the rate column "###.0"); Japanese text has the Japanese font and Latin
// text and numbers another; a shaded item is filled and a plain one not; an
// out-of-stock item is framed by a thick line; and each rule sample got the
// format of the script the writer's rule (leadingScript) gives it. Anything
// else: the caller writes the items through the office instead.

#include "excel/spreadsheet.h"

#include <QString>

#include <optional>

namespace kpv::excel {
class XlsBook;
}

namespace kpv::workbooks {

// The kinds of cell content the office formats apart.
enum Content { Empty, Number, WeakText, LatinText, AsianText, kContents };
constexpr int kWarnings = 3; // StockWarning None, BelowProper, Zero
constexpr int kGroup = kContents + 1;
// The sampled items of the script rule, after the groups.
int ruleSamples();
// All sampled items of a sheet.
int prototypeItems();
// The item (from 0) of a warning and content.
inline int prototypeItem(int warning, Content c) { return warning * kGroup + int(c); }

Content contentOf(const excel::CellValue &v);
// The value written into every cell of sampled item `item`, and its warning.
excel::CellValue prototypeValue(int item);
int prototypeWarning(int item);

// What is wrong with the sampled items of sheet k (0-based) of a stored
// book whose items start at row firstRow, column firstCol (0-based), columns
// wide, the rate in column rateCol (0-based); nullopt when nothing is.
std::optional<QString> prototypeProblem(const excel::XlsBook &book, int sheet, int firstRow, int firstCol, int columns,
                                        int rateCol);

} // namespace kpv::workbooks
