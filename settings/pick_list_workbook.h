#pragma once
// The word-list workbook: the five lists side by side on the first sheet of a
// copy of the ledger template, in the data folder's "M在庫台帳" as
// "在庫品項目yyyy年MM月.xls" (one file per month; a later output of the
// month replaces it). The book is left open and visible for the user.
//
// Sheet: all cells text; B3 the title; columns A 4 and B..E 20 wide; row 4
// the titles of lists 2..6 in B..F on a light fill; from row 5 the words of
// each list down to its first empty word; lines around and inside B4 to
// column F of row N + 4, N the largest of the five counts.

#include "excel/spreadsheet.h"

#include <QDate>
#include <QString>

namespace kpv {
class Dolvb;
}

namespace kpv::settings {

inline constexpr int kPickBookFill = 16777164; // FFFFCC

QString pickListBookPath(const QString &dataFolder, const QDate &today);

// The cells B3 to F(4 + longest list) as one block (block (0, 0) is B3).
excel::Block pickListCells(const Dolvb &d);
// N: the largest count of lists 2..6.
int largestCount(const Dolvb &d);

// Writes the book. The failure is returned; the caller tells the user.
excel::Status writePickListWorkbook(excel::Spreadsheet &app, const Dolvb &d, const QDate &today);

} // namespace kpv::settings
