#pragma once

#include <string>
#include <string_view>

namespace orvendel {

// Where the delay service lives. The base address (scheme, host, port and the path "/DelaysApi/Delays") is
// installation configuration, resolved once at start-up and handed to the session that uses it.
// Thread contract: any thread.
namespace ServiceAddress {

inline constexpr const char* defaultBaseURL = "http://127.0.0.1:8642/DelaysApi/Delays";
inline constexpr const char* environmentVariable = "ORVENDEL_SERVICE_URL";

// The base with one more path segment: "…/DelaysApi/Delays" + "FurnacesList" → "…/DelaysApi/Delays/FurnacesList".
std::string resourceURL(std::string_view base, std::string_view resourcePathComponent);

// True for an http:// or https:// address with a host.
bool isValidBaseURL(std::string_view url);

} // namespace ServiceAddress
} // namespace orvendel
