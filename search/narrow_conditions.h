#pragma once
// The narrowing conditions: up to three rows of the condition grid, each a
// list column, its heading and a search word; and their ordering into the
// conditions a scan applies.
//
// Only the six text columns of the item list can carry a condition: list
// column c shows ledger field c - 1. The ordering takes every row that names
// a column, sorts the rows by column number (rows naming the same column keep
// their order), writes them back to the top rows of the grid and empties the
// rows below, so the grid always shows what will be applied.

#include <QString>

#include <array>

namespace kpv::search {

// Items on one page of the list (two grid lines each).
inline constexpr int kPageItems = 12;

// True for the list columns that can carry a condition: 1..5 and 8.
bool isConditionColumn(int listColumn);

// One row of the condition grid: the column number as text, the column
// heading and the search word. A row whose column cell is empty is empty.
struct ConditionRow {
    QString column;
    QString heading;
    QString word;
    bool isEmpty() const { return column.isEmpty(); }
};
using ConditionRows = std::array<ConditionRow, 3>;

// The ordered conditions: columns[k] and words[k] for k = 0..2; a column of
// 0 and an empty word where there is no condition.
struct Conditions {
    std::array<int, 3> columns{};
    std::array<QString, 3> words;
    // Some condition has both a column and a word.
    bool usable() const;
};

// Reads the rows and orders them: a row whose column cell does not read as a
// non-zero number is emptied, the others get their column rewritten as the
// number and headings and words trimmed; the rows are then rewritten in
// column order from the top.
Conditions orderConditions(ConditionRows &rows);

// The not-found notice: the three words, each followed by an ideographic
// space, then the notice line. again: after a re-narrowing.
QString notFoundText(const Conditions &conditions, bool again);

// Texts of the narrowing notices.
namespace texts {
QString helpTitle();   // "登録確認"
QString help();        // the explanation shown when narrowing opens
QString notAConditionColumn();      // when narrowing opens on another column
QString outsideConditionColumns();  // a click on another column while setting
QString listTitle();                // "在庫品リスト"
QString noColumnForWord();          // a word typed into a row without a column
QString noConditions(bool again);
QString notFoundTitle();            // "在庫品台帳確認"
} // namespace texts

} // namespace kpv::search
