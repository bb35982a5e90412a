#pragma once

#include "core/service/download_notifications.hpp"
#include "core/service/resource_request.hpp"
#include "core/service/wire/delay_conversion.hpp"
#include "core/service/wire_records.hpp"
#include "core/storage/database_manager.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

#include <optional>
#include <string>
#include <vector>

namespace orvendel {

// What the download manager needs to know of one service resource, apart from its types: where it lives,
// and what it writes to the console.
struct DownloadResource {
    const char* pathComponent;
    const char* startLine;          // logged after a request starts
    const char* finishedLine;       // logged after the finished notification; nullptr: nothing
    const char* storeFailedLine;    // logged, followed by the error text, after a failed store
    const char* requestFailedLine;  // logged after a failed request
    bool requestFailedLineHasError; // whether the error text follows `requestFailedLine`
};

// One entry per resource: its parameter and reply types, its body, its texts, its notifications and how a
// successful reply is stored. Adding a resource is its notifications in download_notifications.hpp, one entry
// here, its codec in wire/, and a call on the download manager.
namespace download_resources {

// What an entry has unless it says otherwise. `Finished` is announced after a successful reply (stored first,
// when the resource stores; void: nothing is announced), `Failed` after a failed request or store, and when a
// parked request is dropped.
template <typename FinishedNotification, typename FailedNotification>
struct Defaults {
    using Finished = FinishedNotification;
    using Failed = FailedNotification;
    static constexpr bool hasBody = true;      // false: `start` sends the bare request
    static constexpr bool needsFurnace = true; // sends nothing when the configuration has no furnace
    static constexpr bool stores = false;      // true: `store` keeps a successful reply
    // Written by the request itself, through the manager's log, after a decoded reply or a failure.
    static constexpr const char* ownFinishedLine = nullptr;
    static constexpr const char* ownFailedLine = nullptr;
    static void logDecodeError(const Error&) {}
    static std::optional<int> heatId(const DownloaderRequestParameters&) { return std::nullopt; }
    static Finished finished(const DownloaderRequestParameters& parameters)
    {
        return Finished{{parameters.identifier}};
    }
    static Failed failed(const DownloaderRequestParameters& parameters, Error error)
    {
        return Failed{{parameters.identifier, std::move(error)}};
    }
};

namespace dn = download_notifications;

struct Furnaces : Defaults<dn::FurnacesDownloaded, dn::FurnacesDownloadFailed> {
    using Parameters = FurnacesDownloaderRequestParameters;
    using Reply = wire::FurnacesDownloaderResult;
    static constexpr DownloadResource resource{"FurnacesList",
                                               "Started Downloading Furnaces",
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

struct Reasons : Defaults<dn::ReasonsDownloaded, dn::ReasonsDownloadFailed> {
    using Parameters = ReasonsDownloaderRequestParameters;
    using Reply = wire::ReasonsDownloaderResult;
    static constexpr DownloadResource resource{"ReasonsList",
                                               "Started Downloading Reasons",
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

struct Delays : Defaults<dn::DelaysDownloaded, dn::DelaysDownloadFailed> {
    using Parameters = DelaysDownloaderRequestParameters;
    using Reply = wire::DelaysDownloaderResult;
    static constexpr DownloadResource resource{"Last24HoursDelays",           "Started Downloading Delays",
                                               "Finished Downloading Delays", "Failed Downloading Delays - ",
                                               "Failed Downloading Delays",   false};
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
struct Save : Defaults<dn::DelaysSaved, dn::DelaysSaveFailed> {
    using Parameters = SaveDelaysRequestParameters;
    using Reply = wire::SaveDelaysResult;
    static constexpr DownloadResource resource{"SaveDelays", "Started Saving Delays", nullptr,
                                               nullptr,      "Failed Saving Delays",  false};
    // Each delay marked edited, dates in the delay's own zone.
    static Result<std::string> body(const Parameters& parameters, wire::CommonData common)
    {
        return wire::encode(
            wire::SaveDelaysRequestBody{std::move(common), wire::saveParameters(parameters.heatId, parameters.delays)});
    }
    static void logDecodeError(const Error& error) { log(decodeErrorText(error)); }
    static std::optional<int> heatId(const Parameters& parameters) { return parameters.heatId; }
    static Finished finished(const Parameters& parameters)
    {
        return Finished{{parameters.identifier}, parameters.heatId, parameters.delays};
    }
    static Failed failed(const Parameters& parameters, Error error)
    {
        return Failed{{parameters.identifier, std::move(error)}, parameters.heatId};
    }
};

// The current status of some delays. Nothing in the app sends it yet, and it has no body of its own: a started
// request sends the bare request. Only its path and its failure notification (for a dropped parked request)
// matter to the manager; a success is announced by nothing.
struct UpdatedDelays : Defaults<void, dn::UpdatedDelaysDownloadFailed> {
    using Parameters = UpdatedDelaysDownloaderRequestParameters;
    using Reply = wire::UpdatedDelaysDownloaderResult;
    static constexpr DownloadResource resource{"UpdatedDelays", nullptr, nullptr, nullptr, nullptr, false};
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
