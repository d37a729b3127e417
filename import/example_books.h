#pragma once
// Filling the import books from ledger records and word lists, in the layout
// the imports read (and the ledger output writes): the example books shipped
// for a newcomer, the benchmark's large book and the tests' books are made
// this way. The sheet is expected to carry the book's blank layout already
// (headings); only the start month, the items and the words are written,
// each as one block.

#include "excel/spreadsheet.h"
#include "storage/ledger_record.h"

#include <QStringList>

#include <array>
#include <vector>

namespace kpv::import {

// Items from row 5 on, two rows each; field 11 goes to column AD.
excel::Status writeLedgerItems(excel::Worksheet &sheet, const QString &startMonth,
                               const std::vector<LedgerRecord> &records);

// Lists 2..6 (lists[0..4]) into columns B to F from row 5 on.
excel::Status writeWordLists(excel::Worksheet &sheet, const std::array<QStringList, 5> &lists);

} // namespace kpv::import
