#pragma once

#include "core/model/delay.hpp"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvendel {

// A new random (version 4) UUID in its standard upper-case text form. Any thread.
std::string newUUIDText();

// What a caller asked for, kept in memory only. `identifier` is never sent: it lets the caller recognise the
// completion of its own request. Parameters are shared read-only once a request started.
struct DownloaderRequestParameters {
    std::string identifier;

    // A new UUID text when no identifier is given.
    explicit DownloaderRequestParameters(std::optional<std::string> identifierValue = std::nullopt)
        : identifier(identifierValue ? std::move(*identifierValue) : newUUIDText())
    {}
    virtual ~DownloaderRequestParameters() = default;
};

struct FurnacesDownloaderRequestParameters : DownloaderRequestParameters {
    using DownloaderRequestParameters::DownloaderRequestParameters;
};

struct ReasonsDownloaderRequestParameters : DownloaderRequestParameters {
    using DownloaderRequestParameters::DownloaderRequestParameters;
};

struct DelaysDownloaderRequestParameters : DownloaderRequestParameters {
    std::string requestDate;
    bool ignoreRequestDate = true;

    DelaysDownloaderRequestParameters(std::string requestDateValue, bool ignoreRequestDateValue,
                                      std::optional<std::string> identifierValue = std::nullopt)
        : DownloaderRequestParameters(std::move(identifierValue)), requestDate(std::move(requestDateValue)),
          ignoreRequestDate(ignoreRequestDateValue)
    {}
};

struct SaveDelaysRequestParameters : DownloaderRequestParameters {
    int heatId = 0;
    std::vector<DelayPtr> delays;

    SaveDelaysRequestParameters(int heatIdValue, std::vector<DelayPtr> delaysValue,
                                std::optional<std::string> identifierValue = std::nullopt)
        : DownloaderRequestParameters(std::move(identifierValue)), heatId(heatIdValue), delays(std::move(delaysValue))
    {}
};

struct UpdatedDelaysDownloaderRequestParameters : DownloaderRequestParameters {
    int furnaceId = 0;
    int heatId = 0;
    std::vector<std::map<std::string, int>> delaysToCheck;

    UpdatedDelaysDownloaderRequestParameters(int furnaceIdValue, int heatIdValue,
                                             std::vector<std::map<std::string, int>> delaysToCheckValue,
                                             std::optional<std::string> identifierValue = std::nullopt)
        : DownloaderRequestParameters(std::move(identifierValue)), furnaceId(furnaceIdValue), heatId(heatIdValue),
          delaysToCheck(std::move(delaysToCheckValue))
    {}
};

// Carries the password: never log it.
struct LoginRequestParameters : DownloaderRequestParameters {
    std::string username;
    std::string password;
    std::string systemRequesting = "iOS";

    LoginRequestParameters(std::string usernameValue, std::string passwordValue,
                           std::optional<std::string> identifierValue = std::nullopt)
        : DownloaderRequestParameters(std::move(identifierValue)), username(std::move(usernameValue)),
          password(std::move(passwordValue))
    {}
};

} // namespace orvendel
