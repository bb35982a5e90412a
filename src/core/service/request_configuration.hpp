#pragma once

#include "core/platform/http_transport.hpp"

#include <memory>
#include <optional>
#include <string>

namespace orvendel {

// The session data one request runs with; the request's "commonData" is copied from it. The download manager
// shares it with the request object and changes `sessionId` and `isRetry` only after the request reported back.
struct RequestConfiguration {
    std::string username;
    std::string sessionId;
    std::string locale;
    std::optional<int> furnaceId; // absent for the furnace list
    bool isRetry = false;
    std::string url; // base address plus resource path
    HttpSessionConfiguration urlSessionConfiguration;
};

using RequestConfigurationPtr = std::shared_ptr<RequestConfiguration>;

// Sign-in only: an address and transfer settings, no session data.
struct BaseRequestConfiguration {
    std::string url;
    HttpSessionConfiguration urlSessionConfiguration;
};

} // namespace orvendel
