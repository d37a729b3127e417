#pragma once
// The two import workbooks: their file names and where their cells are.
// The ledger workbook is written in the same layout, so the layout lives with
// the spreadsheet layer that both the imports and the workbook output use.
//
// Ledger book: the headings in row 3 or 4, the start month in O4; items from
// row 5 on, two rows each (the receipts row, which also carries the item's
// fields, then the issues row), columns C to AD, up to the first item whose
// two rows are empty; a ledger longer than one sheet goes on on the
// following sheets. Word-list book: the title in B3, the five word lists in
// columns B to F, words from row 5 downwards, first worksheet only.

#include <QString>

namespace kpv::import {

inline QString ledgerBookName() { return QStringLiteral("Mb在庫品INP.xls"); }
inline QString wordListBookName() { return QStringLiteral("Mb在庫品項目INP.xls"); }

// The folder of the program folder that holds filled example copies of both
// books (a folder a newcomer can choose as the import folder).
inline QString exampleBooksFolder() { return QStringLiteral("見本INP"); }

namespace ledger_book {
constexpr int kStartMonthRow = 4;   // O4
constexpr int kStartMonthCol = 15;
constexpr int kStartMonthLength = 7;
constexpr int kFirstRow = 5;
constexpr int kFirstCol = 3;        // C: item number
constexpr int kNameCol = 4;         // D: item name
constexpr int kUnitCol = 10;        // J: unit
constexpr int kLastFieldCol = 13;   // M: field 10
constexpr int kTotalCol = 14;       // N: monthly cell 13
constexpr int kFirstMonthCol = 16;  // P..AA: month slots 1..12
constexpr int kPlannedCol = 28;     // AB: monthly cell 14
constexpr int kRateCol = 29;        // AC: written by the output, not read
constexpr int kStartOfUseCol = 30;  // AD: field 11, read only when its switch is on
constexpr int kLastCol = 30;
constexpr int kStartOfUseField = 11;
// The headings that mark the layout: in row 3 (the ledger workbook) or
// row 4 (the blank import book), K, L, M, N and AB hold these texts
// (spaces aside).
constexpr int kHeadingRows[] = {3, 4};
struct Heading {
    int col;
    const char16_t *text;
};
constexpr Heading kHeadings[] = {{11, u"前年在庫"}, {12, u"適正在庫"}, {13, u"在庫数量"}, {14, u"入出庫計"}, {28, u"予定数量"}};
// Rows read in one block: an even number, so an item never straddles two.
constexpr int kBlockRows = 4000;
// The last row of an Excel 97-2003 sheet; items end there at the latest
// (65,532 rows from row 5 are 32,766 items).
constexpr int kLastSheetRow = 65536;
} // namespace ledger_book

namespace word_book {
constexpr int kTitleRow = 3;        // B3: the title that marks the layout
constexpr const char16_t *kTitle = u"在庫品リストBox項目";
constexpr int kFirstRow = 5;
constexpr int kFirstCol = 2;        // B: list 2 .. F: list 6
constexpr int kFirstList = 2;
constexpr int kLists = 5;
constexpr int kMaxWords = 2000;
// A word is chosen into a ledger field on the item card.
constexpr int kWordWidth = 28;
} // namespace word_book

// Column letters as the spreadsheet shows them (1 = A).
QString columnLetters(int col);

} // namespace kpv::import
