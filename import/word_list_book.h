#pragma once
// Reading the word-list import book: lists 2 to 6 from columns B to F, the
// words of a list running down from row 5 to its first empty cell, at most
// 2,000 words each. Words are trimmed of spaces at both ends; inner spaces
// stay. Every word is checked: it must fit the list file (code page 932, no
// double quote or line break) and the ledger field it is chosen into.

#include "excel/spreadsheet.h"
#include "import/cell_check.h"

#include <QStringList>

#include <array>

namespace kpv::import {

struct WordListContent {
    std::array<QStringList, 5> lists; // lists 2..6 in lists[0..4]
    CellCheck check;
};

excel::Result<WordListContent> readWordListBook(excel::Worksheet &sheet);

} // namespace kpv::import
