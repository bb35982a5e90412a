#pragma once

#include "core/model/delay.hpp"
#include "core/support/error.hpp"

#include <string>
#include <vector>

// What the download manager announces (sender: the manager), one type per notification. `identifier` is the
// caller's request identifier, so that a screen can tell its own request's outcome from another's.
namespace orvendel::download_notifications {

struct RequestFinished {
    std::string identifier;
};

// A "Failed…" notification always says why.
struct RequestFailed {
    std::string identifier;
    Error error;
};

struct FurnacesDownloaded : RequestFinished {
    static constexpr const char* name = "FinishedDownloadingFurnacesList";
};
struct FurnacesDownloadFailed : RequestFailed {
    static constexpr const char* name = "FailedDownloadingFurnacesList";
};
struct DelaysDownloaded : RequestFinished {
    static constexpr const char* name = "FinishedDownloadingDelays";
};
struct DelaysDownloadFailed : RequestFailed {
    static constexpr const char* name = "FailedDownloadingDelays";
};
struct ReasonsDownloaded : RequestFinished {
    static constexpr const char* name = "FinishedDownloadingReasons";
};
struct ReasonsDownloadFailed : RequestFailed {
    static constexpr const char* name = "FailedDownloadingReasons";
};
// Only announced for a parked request dropped with notice: nothing sends the request yet.
struct UpdatedDelaysDownloadFailed : RequestFailed {
    static constexpr const char* name = "FailedDownloadingUpdatedDelays";
};

struct DelaysSaved : RequestFinished {
    static constexpr const char* name = "FinishedSavingDelays";
    int heatId = 0;
    std::vector<DelayPtr> delays; // the records that were sent
};
struct DelaysSaveFailed : RequestFailed {
    static constexpr const char* name = "FailedSavingDelays";
    int heatId = 0;
};

} // namespace orvendel::download_notifications
