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
//
// The book is made in a working copy of the template, stored to its file
// and then shown, so the words are in the file even when nobody saves the
// window. The month's book may have been edited for an import: it is
// replaced only when the user agrees.

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

// Writes and stores the book (replacing the month's book without asking),
// then shows it when show is set. The failure is returned; the caller tells
// the user. A failure leaves an earlier book of the month as it was.
excel::Status writePickListWorkbook(excel::Spreadsheet &app, const Dolvb &d, const QDate &today, bool show = true);

enum class PickBookOutcome { Written, Cancelled, Failed };
// 項目Ｅｘｃｅｌ出力: asks before replacing the month's book, writes it and
// tells a failure. app may be null (no office: told as its failure).
PickBookOutcome outputPickListWorkbook(excel::Spreadsheet *app, Dolvb &d, const QDate &today, bool show = true);

} // namespace kpv::settings
