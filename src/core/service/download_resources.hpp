#pragma once

#include "core/service/resource_request.hpp"
#include "core/service/wire/delay_conversion.hpp"
#include "core/service/wire_records.hpp"
#include "core/storage/database_manager.hpp"
#include "core/support/log.hpp"
#include "core/support/notification_center.hpp"

#include <fmt/format.h>

#include <optional>
#include <string>
#include <vector>

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
};

// One entry per resource: its parameter and reply types, its body, its texts and how a successful reply is
// stored. Adding a resource is one entry here, its codec in wire/, and a call on the download manager.
namespace download_resources {

// What an entry has unless it says otherwise.
struct Defaults {
    static constexpr bool hasBody = true;      // false: `start` sends the bare request
    static constexpr bool needsFurnace = true; // sends nothing when the configuration has no furnace
    static constexpr bool stores = false;      // true: `store` keeps a successful reply
    // Written by the request itself, through the manager's log, after a decoded reply or a failure.
    static constexpr const char* ownFinishedLine = nullptr;
    static constexpr const char* ownFailedLine = nullptr;
    static void logDecodeError(const Error&) {}
    static std::optional<int> heatId(const DownloaderRequestParameters&) { return std::nullopt; }
    // userInfo of the finished notification, besides the identifier.
    static UserInfo finishedUserInfo(const DownloaderRequestParameters&) { return {}; }
};

struct Furnaces : Defaults {
    using Parameters = FurnacesDownloaderRequestParameters;
    using Reply = wire::FurnacesDownloaderResult;
    static constexpr DownloadResource resource{"FurnacesList",
                                               "Started Downloading Furnaces",
                                               download_notifications::finishedFurnaces,
                                               download_notifications::failedFurnaces,
                                               "Finished Downloading Furnaces List",
                                               "Failed Downloading Furnaces List - ",
                                               "Failed Downloading Furnaces List - ",
                                               true};
    // The furnace id is sent when there is one, left out when not.
    static constexpr bool needsFurnace = false;
    static Result<std::string> body(const Parameters&, wire::CommonData common)
    {
        return wire::encode(wire::FurnacesRequestBody{std::move(common)});
    }
    static constexpr bool stores = true;
    static void store(DatabaseManager& database, Reply reply, const RequestConfiguration&,
                      DatabaseManager::StoreCompletion completion)
    {
        database.storeFurnaces(std::move(reply.data).value_or(std::vector<Furnace>{}), std::move(completion));
    }
};

struct Reasons : Defaults {
    using Parameters = ReasonsDownloaderRequestParameters;
    using Reply = wire::ReasonsDownloaderResult;
    static constexpr DownloadResource resource{"ReasonsList",
                                               "Started Downloading Reasons",
                                               download_notifications::finishedReasons,
                                               download_notifications::failedReasons,
                                               "Finished Downloading Reasons",
                                               "Failed Downloading Reasons - ",
                                               "Failed Downloading Reasons List - ",
                                               true};
    static Result<std::string> body(const Parameters&, wire::CommonData common)
    {
        return wire::encode(wire::ReasonsRequestBody{std::move(common)});
    }
    static void logDecodeError(const Error& error) { log(error.description); }
    static constexpr bool stores = true;
    static void store(DatabaseManager& database, Reply reply, const RequestConfiguration& configuration,
                      DatabaseManager::StoreCompletion completion)
    {
        database.storeReasons(configuration.furnaceId.value_or(0),
                              wire_records::reasonRows(reply.data.value_or(std::vector<wire::JSON_Reason>{})),
                              std::move(completion));
    }
};

struct Delays : Defaults {
    using Parameters = DelaysDownloaderRequestParameters;
    using Reply = wire::DelaysDownloaderResult;
    static constexpr DownloadResource resource{"Last24HoursDelays",
                                               "Started Downloading Delays",
                                               download_notifications::finishedDelays,
                                               download_notifications::failedDelays,
                                               "Finished Downloading Delays",
                                               "Failed Downloading Delays - ",
                                               "Failed Downloading Delays",
                                               false};
    static Result<std::string> body(const Parameters& parameters, wire::CommonData common)
    {
        return wire::encode(wire::DelaysRequestBody{
            std::move(common), wire::DelaysParameters{parameters.requestDate, parameters.ignoreRequestDate}});
    }
    static void logDecodeError(const Error& error)
    {
        log(fmt::format("Error - {} - {}", error.description, error.code));
    }
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

// A save's reply carries nothing to keep.
struct Save : Defaults {
    using Parameters = SaveDelaysRequestParameters;
    using Reply = wire::SaveDelaysResult;
    static constexpr DownloadResource resource{"SaveDelays",
                                               "Started Saving Delays",
                                               download_notifications::finishedSaving,
                                               download_notifications::failedSaving,
                                               nullptr,
                                               nullptr,
                                               "Failed Saving Delays",
                                               false};
    // Each delay marked edited, dates in the delay's own zone.
    static Result<std::string> body(const Parameters& parameters, wire::CommonData common)
    {
        return wire::encode(
            wire::SaveDelaysRequestBody{std::move(common), wire::saveParameters(parameters.heatId, parameters.delays)});
    }
    static void logDecodeError(const Error& error) { log(decodeErrorText(error)); }
    static std::optional<int> heatId(const Parameters& parameters) { return parameters.heatId; }
    static UserInfo finishedUserInfo(const Parameters& parameters)
    {
        return {{download_notifications::heatIdKey, parameters.heatId},
                {download_notifications::delaysKey, parameters.delays}};
    }
};

// The current status of some delays. Nothing in the app sends it yet, and it has no body of its own: a started
// request sends the bare request. Only its path and its failure notification (for a dropped parked request)
// matter to the manager.
struct UpdatedDelays : Defaults {
    using Parameters = UpdatedDelaysDownloaderRequestParameters;
    using Reply = wire::UpdatedDelaysDownloaderResult;
    static constexpr DownloadResource resource{
        "UpdatedDelays", nullptr, nullptr, download_notifications::failedUpdatedDelays,
        nullptr,         nullptr, nullptr, false};
    static constexpr bool hasBody = false;
    static constexpr const char* ownFinishedLine = "Finished Downloading Updated Delays";
    static constexpr const char* ownFailedLine = "Failed Downloading Updated Delays";
    static void logDecodeError(const Error& error) { log(decodeErrorText(error)); }
};

} // namespace download_resources

using FurnacesDownloader = ResourceRequest<download_resources::Furnaces>;
using ReasonsDownloader = ResourceRequest<download_resources::Reasons>;
using DelaysDownloader = ResourceRequest<download_resources::Delays>;
using SaveDelays = ResourceRequest<download_resources::Save>;
using UpdatedDelaysDownloader = ResourceRequest<download_resources::UpdatedDelays>;

} // namespace orvendel
