#pragma once
// The shared state of the card's entry tools: which cell of the card was
// clicked last and what is being edited. The code of the edited target
// (EntryTarget) is process-wide and lives in Dolvb::entryTarget; the number
// of the pick-list shown lives in Dolvb::currentList. The codes below are the
// values Dolvb::entryTarget takes.

#include <QString>

namespace kpv::ledger {

namespace target {
inline constexpr int kNothing = 14;        // after the screen opened
inline constexpr int kName = 17;           // text fields 1, 2, 3, 4, 7
inline constexpr int kSpecification = 18;
inline constexpr int kMaker = 19;
inline constexpr int kLocation = 20;
inline constexpr int kUnit = 21;
inline constexpr int kFieldNumber = 101;   // a number of the field grid (by the card column)
inline constexpr int kReceipts = 102;      // a month's receipts
inline constexpr int kIssues = 103;        // a month's issues
inline constexpr int kPlannedReceipts = 104;
inline constexpr int kPlannedIssues = 105;
inline constexpr int kItemNumber = 106;
} // namespace target

struct EntryState {
    int cardColumn = 0;    // column of the last clicked cell of the field grid
    int monthRow = 0;      // line and column of the last clicked cell of the monthly grid
    int monthColumn = 0;
    QString entryText;     // the text of the field being edited
    int pickedWord = 0;    // number of the word picked from the list; 0 when none
};

} // namespace kpv::ledger
