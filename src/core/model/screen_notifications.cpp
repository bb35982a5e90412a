#include "core/model/screen_notifications.hpp"

namespace orvendel::screen_notifications {
namespace {

std::optional<DelaySelection> read(const Notification& notification, const char* heatKey)
{
    const int* heatId = notification.value<int>(heatKey);
    const Instant* start = notification.value<Instant>(selectedDelayStartDateKey);
    if (!heatId || !start) {
        return std::nullopt;
    }
    return DelaySelection{*heatId, *start};
}

} // namespace

UserInfo selectionUserInfo(DelaySelection selection)
{
    return {{heatIdKey, selection.heatId}, {selectedDelayStartDateKey, selection.delayStartDate}};
}

std::optional<DelaySelection> selection(const Notification& notification)
{
    return read(notification, heatIdKey);
}

UserInfo downloadSelectionUserInfo(DelaySelection selection)
{
    return {{selectedHeatIdKey, selection.heatId}, {selectedDelayStartDateKey, selection.delayStartDate}};
}

std::optional<DelaySelection> downloadSelection(const Notification& notification)
{
    return read(notification, selectedHeatIdKey);
}

UserInfo autoSaveUserInfo(bool value)
{
    return {{valueKey, value}};
}

std::optional<bool> autoSaveValue(const Notification& notification)
{
    const bool* value = notification.value<bool>(valueKey);
    return value ? std::optional<bool>(*value) : std::nullopt;
}

} // namespace orvendel::screen_notifications
