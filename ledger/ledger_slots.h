#pragma once
// The settings slots the ledger screen reads: the item card's display mode,
// the start month of the month headings, and the client switches that govern
// registering and the ledger backup.

namespace kpv::ledger::slotNo {

namespace client {
inline constexpr int kHideExplanations = 14;
inline constexpr int kLedgerBackup = 18;
inline constexpr int kReadOnly = 19;
inline constexpr int kAlternativeButtons = 38;
} // namespace client

namespace shared {
inline constexpr int kStartMonth = 9;
inline constexpr int kStartOfUse = 11;
inline constexpr int kItemNumberCaption = 14;
inline constexpr int kMonthlyImport = 20;
inline constexpr int kDecimalQuantities = 21;
inline constexpr int kBackgroundColour = 49;
} // namespace shared

} // namespace kpv::ledger::slotNo
