#pragma once
// The settings slots the settings screen works with.

namespace kpv::settings {

namespace client {
inline constexpr int kDataFolder = 1;
inline constexpr int kPreviousDataFolder = 2;
inline constexpr int kDataFolderState = 3;   // "1" moved away from the program folder, "0" back
inline constexpr int kHideExplanations = 14;
inline constexpr int kLedgerBackup = 18;
inline constexpr int kReadOnly = 19;
inline constexpr int kNoTemplateFolder = 26; // "0"/empty: a new data folder gets 原本Excel
} // namespace client

namespace shared {
inline constexpr int kFirstCount = 3;        // counts of lists 2..6 in slots 3..7
inline constexpr int kStartMonth = 9;
inline constexpr int kFirstLabel = 14;       // labels of grid rows 0..5 in slots 14..19
inline constexpr int kCountBound = 22;       // upper bound N of the count choices
} // namespace shared

inline constexpr int kFirstList = 2;
inline constexpr int kLastList = 6;

} // namespace kpv::settings
