#pragma once

#include "core/model/zoned_date_time.hpp"

// The notifications the screens and the editing rules exchange, one type per notification.
namespace orvendel::screen_notifications {

// A heat and the start of one of its delays.
struct DelaySelection {
    int heatId = 0;
    Instant delayStartDate{};
    friend bool operator==(const DelaySelection&, const DelaySelection&) = default;
};

// After every edit (sender: the page edited on): the heats list re-reads, rebuilds and selects the named delay.
struct ReloadData {
    static constexpr const char* name = "ReloadData";
    DelaySelection selection;
};
// A delay page came into view.
struct DidSelectDelay {
    static constexpr const char* name = "DidSelectDelay";
    DelaySelection selection;
};
// After a save: the heats list downloads the furnace's delays and reasons again.
struct DownloadAndReloadDelays {
    static constexpr const char* name = "DownloadAndReloadDelays";
};
// The settings' switch changed.
struct AutoSaveOptionChanged {
    static constexpr const char* name = "AutomaticallySaveEditedDelaysOptionChanged";
    bool enabled = false;
};
// The idle timer ran out.
struct AppInactivityTimeout {
    static constexpr const char* name = "appInactivityTimeout";
};

} // namespace orvendel::screen_notifications
