#pragma once
// The settings slots the start-up, the menu and its switches work with.

namespace kpv::menu {

namespace client {
inline constexpr int kDataFolder = 1;
inline constexpr int kPreviousDataFolder = 2;
inline constexpr int kDataFolderState = 3;
inline constexpr int kShowLogo = 6;
inline constexpr int kLogoOffset = 7;
inline constexpr int kHideExplanations = 14;
inline constexpr int kAdministrator = 15;
inline constexpr int kLedgerBackup = 18;
inline constexpr int kReadOnly = 19;
// Mark of the PC that stopped all clients: that PC keeps working while the
// others are stopped. It has a slot of its own so that the ledger backup
// switch (slot 18) does not exempt a PC from the stop, and so that the PC
// that sets the stop is the one that stays usable.
inline constexpr int kStopMark = 27;
} // namespace client

namespace shared {
inline constexpr int kAllClientsStopped = 1;
inline constexpr int kFirstPickListCount = 3; // lists 2..6 in slots 3..7
inline constexpr int kLoginRequired = 8;
inline constexpr int kStartMonth = 9;
inline constexpr int kCommonDocuments = 12;
inline constexpr int kFirstItemLabel = 14;    // items 2..6 in slots 14..18
inline constexpr int kUnitLabel = 19;
inline constexpr int kMonthlyImport = 20;
inline constexpr int kDecimalQuantities = 21;
inline constexpr int kBackgroundColour = 49;
} // namespace shared

} // namespace kpv::menu
