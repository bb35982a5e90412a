#pragma once

#include "core/model/zoned_date_time.hpp"
#include "core/support/notification_center.hpp"

#include <optional>

namespace orvendel {

// Names and keys of the notifications the screens and the editing rules exchange, with typed readers and
// writers, so that a key is spelt in one place.
namespace screen_notifications {
// After every edit: the heats list re-reads, rebuilds and selects the named delay.
inline constexpr const char* reloadData = "ReloadData";
// A delay page came into view.
inline constexpr const char* didSelectDelay = "DidSelectDelay";
// After a save: the heats list downloads the furnace's delays and reasons again.
inline constexpr const char* downloadAndReloadDelays = "DownloadAndReloadDelays";
// The settings' switch changed; "Value" holds the new state.
inline constexpr const char* autoSaveOptionChanged = "AutomaticallySaveEditedDelaysOptionChanged";
// The idle timer ran out.
inline constexpr const char* appInactivityTimeout = "appInactivityTimeout";

inline constexpr const char* heatIdKey = "HeatId";                                 // int
inline constexpr const char* selectedHeatIdKey = "SelectedHeatId";                 // int
inline constexpr const char* selectedDelayStartDateKey = "SelectedDelayStartDate"; // Instant
inline constexpr const char* valueKey = "Value";                                   // bool

// A heat and the start of one of its delays, as these notifications name them.
struct DelaySelection {
    int heatId = 0;
    Instant delayStartDate{};
    friend bool operator==(const DelaySelection&, const DelaySelection&) = default;
};

// "ReloadData" and "DidSelectDelay" carry "HeatId" and "SelectedDelayStartDate".
UserInfo selectionUserInfo(DelaySelection selection);
std::optional<DelaySelection> selection(const Notification& notification);

// "DownloadAndReloadDelays" may carry "SelectedHeatId" and "SelectedDelayStartDate".
UserInfo downloadSelectionUserInfo(DelaySelection selection);
std::optional<DelaySelection> downloadSelection(const Notification& notification);

UserInfo autoSaveUserInfo(bool value);
std::optional<bool> autoSaveValue(const Notification& notification);
} // namespace screen_notifications

} // namespace orvendel
