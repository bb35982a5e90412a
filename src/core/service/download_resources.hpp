#pragma once

#include "core/service/delays_downloader.hpp"
#include "core/service/furnaces_downloader.hpp"
#include "core/service/reasons_downloader.hpp"
#include "core/service/save_delays.hpp"
#include "core/service/wire_records.hpp"
#include "core/storage/database_manager.hpp"
#include "core/support/notification_center.hpp"

#include <optional>
#include <tuple>
#include <typeinfo>

namespace orvendel {

namespace download_notifications {
inline constexpr const char* finishedFurnaces = "FinishedDownloadingFurnacesList";
inline constexpr const char* failedFurnaces = "FailedDownloadingFurnacesList";
inline constexpr const char* finishedDelays = "FinishedDownloadingDelays";
inline constexpr const char* failedDelays = "FailedDownloadingDelays";
inline constexpr const char* finishedReasons = "FinishedDownloadingReasons";
inline constexpr const char* failedReasons = "FailedDownloadingReasons";
inline constexpr const char* finishedSaving = "FinishedSavingDelays";
inline constexpr const char* failedSaving = "FailedSavingDelays";
inline constexpr const char* failedUpdatedDelays = "FailedDownloadingUpdatedDelays";
inline constexpr const char* errorKey = "DownloadManagerError";
inline constexpr const char* heatIdKey = "HeatId";
inline constexpr const char* delaysKey = "Delays";
// The caller's request identifier (std::string), on every finished and failed notification of a request.
inline constexpr const char* identifierKey = "Identifier";
} // namespace download_notifications

// What the download manager needs to know of one service resource, apart from its types: where it lives,
// what it announces and what it writes to the console.
struct DownloadResource {
    const char* pathComponent;
    const char* startLine;            // logged after a request starts
    const char* finishedNotification; // after a successful reply (stored first, when the resource stores)
    const char* failedNotification;   // after a failed request or store, and when a parked request is dropped
    const char* finishedLine;         // logged after the finished notification; nullptr: nothing
    const char* storeFailedLine;      // logged, followed by the error text, after a failed store
    const char* requestFailedLine;    // logged after a failed request
    bool requestFailedLineHasError;   // whether the error text follows `requestFailedLine`
    // userInfo of the finished notification.
    UserInfo (*finishedUserInfo)(const DownloaderRequestParameters&);
    // "HeatId" of the failure notifications, when the resource has one.
    std::optional<int> (*heatId)(const DownloaderRequestParameters&);
};

namespace download_resources {

inline UserInfo noUserInfo(const DownloaderRequestParameters&)
{
    return {};
}
inline std::optional<int> noHeatId(const DownloaderRequestParameters&)
{
    return std::nullopt;
}

// One struct per resource: its request types, its texts, and how a successful reply is stored. Add a
// resource by writing one of these and listing it in `All`.
struct Furnaces {
    using Request = FurnacesDownloader;
    using Delegate = FurnacesDownloaderDelegate;
    using Parameters = FurnacesDownloaderRequestParameters;
    using Reply = wire::FurnacesDownloaderResult;
    static constexpr DownloadResource resource{"FurnacesList",
                                               "Started Downloading Furnaces",
                                               download_notifications::finishedFurnaces,
                                               download_notifications::failedFurnaces,
                                               "Finished Downloading Furnaces List",
                                               "Failed Downloading Furnaces List - ",
                                               "Failed Downloading Furnaces List - ",
                                               true,
                                               &noUserInfo,
                                               &noHeatId};
    static constexpr bool stores = true;
    static void store(DatabaseManager& database, Reply reply, const RequestConfiguration&,
                      DatabaseManager::StoreCompletion completion)
    {
        database.storeFurnaces(std::move(reply.data).value_or(std::vector<Furnace>{}), std::move(completion));
    }
};

struct Reasons {
    using Request = ReasonsDownloader;
    using Delegate = ReasonsDownloaderDelegate;
    using Parameters = ReasonsDownloaderRequestParameters;
    using Reply = wire::ReasonsDownloaderResult;
    static constexpr DownloadResource resource{"ReasonsList",
                                               "Started Downloading Reasons",
                                               download_notifications::finishedReasons,
                                               download_notifications::failedReasons,
                                               "Finished Downloading Reasons",
                                               "Failed Downloading Reasons - ",
                                               "Failed Downloading Reasons List - ",
                                               true,
                                               &noUserInfo,
                                               &noHeatId};
    static constexpr bool stores = true;
    static void store(DatabaseManager& database, Reply reply, const RequestConfiguration& configuration,
                      DatabaseManager::StoreCompletion completion)
    {
        database.storeReasons(configuration.furnaceId.value_or(0),
                              wire_records::reasonRows(reply.data.value_or(std::vector<wire::JSON_Reason>{})),
                              std::move(completion));
    }
};

struct Delays {
    using Request = DelaysDownloader;
    using Delegate = DelaysDownloaderDelegate;
    using Parameters = DelaysDownloaderRequestParameters;
    using Reply = wire::DelaysDownloaderResult;
    static constexpr DownloadResource resource{"Last24HoursDelays",
                                               "Started Downloading Delays",
                                               download_notifications::finishedDelays,
                                               download_notifications::failedDelays,
                                               "Finished Downloading Delays",
                                               "Failed Downloading Delays - ",
                                               "Failed Downloading Delays",
                                               false,
                                               &noUserInfo,
                                               &noHeatId};
    static constexpr bool stores = true;
    static void store(DatabaseManager& database, Reply reply, const RequestConfiguration& configuration,
                      DatabaseManager::StoreCompletion completion)
    {
        database.storeDelays(
            configuration.furnaceId.value_or(0),
            wire_records::downloadedHeats(std::move(reply.data).value_or(std::vector<wire::JSON_Heat>{})),
            std::move(completion));
    }
};

struct Save {
    using Request = SaveDelays;
    using Delegate = SaveDelaysDelegate;
    using Parameters = SaveDelaysRequestParameters;
    using Reply = wire::SaveDelaysResult;
    static UserInfo finishedUserInfo(const DownloaderRequestParameters& parameters)
    {
        const auto& save = static_cast<const Parameters&>(parameters);
        return {{download_notifications::heatIdKey, save.heatId}, {download_notifications::delaysKey, save.delays}};
    }
    static std::optional<int> heatId(const DownloaderRequestParameters& parameters)
    {
        return static_cast<const Parameters&>(parameters).heatId;
    }
    static constexpr DownloadResource resource{"SaveDelays",
                                               "Started Saving Delays",
                                               download_notifications::finishedSaving,
                                               download_notifications::failedSaving,
                                               nullptr,
                                               nullptr,
                                               "Failed Saving Delays",
                                               false,
                                               &finishedUserInfo,
                                               &heatId};
    // A save's reply carries nothing to keep.
    static constexpr bool stores = false;
    static void store(DatabaseManager&, Reply, const RequestConfiguration&, DatabaseManager::StoreCompletion) {}
};

using All = std::tuple<Furnaces, Reasons, Delays, Save>;

// The resource whose parameters these are, or nullptr.
const DownloadResource* forParameters(const DownloaderRequestParameters& parameters);

} // namespace download_resources
} // namespace orvendel
