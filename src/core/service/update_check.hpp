#pragma once

#include "core/platform/http_transport.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace orvendel {

// What the update check compares and asks.
struct UpdateCheckSettings {
    std::optional<std::string> storeSearchURL; // off when absent
    std::string applicationVersion;
    std::string applicationIdentifier;
    std::shared_ptr<HttpTransport> transport; // required when there is an address

    // The build's version and identifier with the plant's store search address.
    static UpdateCheckSettings forBuild(std::optional<std::string> storeSearchURL,
                                        std::shared_ptr<HttpTransport> transport);
};

namespace update_check {

using UpdateCheckCompletion = std::function<void(bool updateAvailable, std::optional<std::string> storeURL)>;

inline constexpr const char* storeSearchURLEnvironmentVariable = "ORVENDEL_STORE_SEARCH_URL";

// Asks the store whether a different version of this application is published. Without a usable address it
// completes at once with (false, none) and sends nothing; otherwise the completion runs on a background thread.
// Thread contract: any thread.
void checkForNewerVersion(const UpdateCheckSettings& settings, UpdateCheckCompletion completion);

// The lookup address: base + "?term=<identifier>&entity=software"; the address_error when `base` cannot be a
// store search address (`AddressUse::storeSearch`).
Result<std::string> storeLookupURL(std::string_view base, std::string_view identifier);

// The answer a store reply gives for this identifier and version.
std::pair<bool, std::optional<std::string>> newerVersionInReply(std::string_view body, std::string_view identifier,
                                                                std::string_view version);

} // namespace update_check
} // namespace orvendel
