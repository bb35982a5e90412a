#pragma once

namespace orvendel::cli {

// Names and keys of the notifications the screens exchange among themselves.
namespace screen_notifications {
inline constexpr const char* reloadData = "ReloadData";
inline constexpr const char* downloadAndReloadDelays = "DownloadAndReloadDelays";
inline constexpr const char* autoSaveOptionChanged = "AutomaticallySaveEditedDelaysOptionChanged";
inline constexpr const char* heatIdKey = "HeatId";
inline constexpr const char* selectedHeatIdKey = "SelectedHeatId";
inline constexpr const char* selectedDelayStartDateKey = "SelectedDelayStartDate";
inline constexpr const char* valueKey = "Value";
} // namespace screen_notifications

} // namespace orvendel::cli
