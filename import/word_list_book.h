#pragma once
// Reading the word-list import book: the title "在庫品リストBox項目" in B3
// marks the layout; lists 2 to 6 from columns B to F, the words of a list
// running down from row 5 to its first empty cell, at most 2,000 words each.
// Words are read as the cells show them and trimmed of spaces at both ends;
// inner spaces stay. Every word is checked: it must fit the list file (code
// page 932, no double quote or line break) and the ledger field it is chosen
// into. A book without the title, or with no word in any of the five
// columns (the blank book), is refused.

#include "excel/spreadsheet.h"
#include "import/cell_check.h"

#include <QStringList>

#include <array>
#include <vector>

namespace kpv::import {

struct WordListContent {
    std::array<QStringList, 5> lists; // lists 2..6 in lists[0..4]
    std::array<QString, 5> titles;    // row 4 of each column
    CellCheck check;
    QString refusal; // what makes it no word-list book of the layout; empty when it is one
};

// merged: the merged areas of the sheet; one that hides a word read refuses the book.
excel::Result<WordListContent> readWordListBook(excel::Worksheet &sheet, const std::vector<excel::Range> &merged = {});

} // namespace kpv::import
