#pragma once
// The cell records of a row as the stored-book writer puts them into a sheet
// (private to it).

#include "excel/xls_book.h"

#include <functional>

namespace kpv::excel::biff {

// A number as an RK value when it is one exactly.
bool toRk(double v, std::uint32_t &rk);

// The cell records of one row: runs of empty cells as one record, numbers as
// RK values where they are one exactly, texts as shared strings (their index
// from stringIndex).
void putCells(std::string &out, int row, int firstCol, const std::vector<XlsCell> &cells,
              const std::function<std::uint32_t(const QString &)> &stringIndex);

} // namespace kpv::excel::biff
