#pragma once
// The slot numbers of the two settings stores, one name per slot the system
// reads or writes. Code names a slot only through these constants; a slot
// not listed here is carried through unchanged by every load and save.
// Switch slots are "1" (on) or anything else (off); see SettingsSlots::isOn.
// (The namespace is "slot": "slots" is a keyword macro of Qt's and cannot
// name a namespace in code that includes Qt headers.)

namespace kpv::slot {

namespace client {
inline constexpr int kDataFolder = 1;          // this client's data folder, ending with one separator
inline constexpr int kPreviousDataFolder = 2;  // source of a data transfer
inline constexpr int kDataFolderState = 3;     // "1" after a new data folder was confirmed, "0" after a return
inline constexpr int kShowLogo = 6;            // switch: the user logo on the menu
inline constexpr int kLogoOffset = 7;          // left offset of the logo in twips ("20".."1600")
inline constexpr int kHideExplanations = 14;   // switch: hide the explanation buttons
inline constexpr int kAdministrator = 15;      // switch: this PC has administrator rights
inline constexpr int kLedgerBackup = 18;       // switch: the ledger backup of this PC
inline constexpr int kReadOnly = 19;           // switch: view-only client
inline constexpr int kSkipTemplateFolder = 26; // "0" or empty: a new data folder gets its template sub-folder
// Mark of the PC that stopped all clients: that PC keeps working while the
// others are stopped. It has a slot of its own so that the ledger backup
// switch does not exempt a PC from the stop.
inline constexpr int kStopMark = 27;
// Switch: the spreadsheet application is not started in the background when
// the menu first shows, only when a workbook is asked for.
inline constexpr int kNoBackgroundOffice = 28;
inline constexpr int kRegisterButtonAlt = 38;  // switch: other placement of the ledger screen's register button
} // namespace client

namespace shared {
inline constexpr int kAllClientsStopped = 1;   // switch: all clients stopped by an administrator
inline constexpr int kFirstPickListCount = 3;  // entry counts of lists 2..6 in slots 3..7
inline constexpr int kLastPickListCount = 7;
// The count slot of word list 2..6.
constexpr int pickListCount(int list) { return list + 1; }
inline constexpr int kLoginRequired = 8;       // switch: login password at start
inline constexpr int kStartMonth = 9;          // management start "yyyy/mm"
inline constexpr int kImportFolder = 10;       // folder of the workbooks to import
inline constexpr int kShowStartOfUse = 11;     // switch: the start-of-use month of each item
inline constexpr int kCommonDocuments = 12;    // switch: the common documents button
inline constexpr int kLastIndexCheck = 13;     // "yyyy/mm/dd" of the last daily index check
inline constexpr int kFirstItemLabel = 14;     // labels of items 2..6 in slots 14..18
inline constexpr int kLastItemLabel = 18;
inline constexpr int kUnitLabel = 19;          // label of item 9 (unit)
inline constexpr int kMonthlyImport = 20;      // switch: monthly receipts/issues import
inline constexpr int kDecimalQuantities = 21;  // switch: quantities with one decimal place
inline constexpr int kMaximumQuantity = 22;    // upper bound of the count choices
inline constexpr int kBackgroundColour = 49;   // background colour number "1".."10"
} // namespace shared

} // namespace kpv::slot
