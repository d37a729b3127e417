#pragma once
// The settings slots the settings screen works with, by the names of the
// store's slot table.

#include "storage/settings_slots.h"

namespace kpv::settings {

namespace client {
inline constexpr int kDataFolder = slot::client::kDataFolder;
inline constexpr int kPreviousDataFolder = slot::client::kPreviousDataFolder;
inline constexpr int kDataFolderState = slot::client::kDataFolderState;
inline constexpr int kHideExplanations = slot::client::kHideExplanations;
inline constexpr int kLedgerBackup = slot::client::kLedgerBackup;
inline constexpr int kReadOnly = slot::client::kReadOnly;
inline constexpr int kNoTemplateFolder = slot::client::kSkipTemplateFolder;
} // namespace client

namespace shared {
inline constexpr int kFirstCount = slot::shared::kFirstPickListCount; // counts of lists 2..6 in slots 3..7
inline constexpr int kStartMonth = slot::shared::kStartMonth;
inline constexpr int kFirstLabel = 14;                                  // labels of grid rows 0..5 in slots 14..19
inline constexpr int kCountBound = slot::shared::kMaximumQuantity;     // upper bound N of the count choices
} // namespace shared

inline constexpr int kFirstList = 2;
inline constexpr int kLastList = 6;

} // namespace kpv::settings
