#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvendel {

// Where the delay service lives. The base address (scheme, host, port and the path "/DelaysApi/Delays") is
// installation configuration: a command-line option, else $ORVENDEL_SERVICE_URL, else the local reference
// service. Thread contract: any thread.
namespace ServiceAddress {

inline constexpr const char* defaultBaseURL = "http://127.0.0.1:8642/DelaysApi/Delays";
inline constexpr const char* environmentVariable = "ORVENDEL_SERVICE_URL";

// The base address in use.
std::string baseURL();
// Replaces the environment's answer (the command line's --service-url); none restores it.
void setBaseURL(std::optional<std::string> url);

// The base with one more path segment: "…/DelaysApi/Delays" + "FurnacesList" → "…/DelaysApi/Delays/FurnacesList".
std::string resourceURL(std::string_view resourcePathComponent);
std::string resourceURL(std::string_view base, std::string_view resourcePathComponent);

// True for an http:// or https:// address with a host.
bool isValidBaseURL(std::string_view url);

} // namespace ServiceAddress
} // namespace orvendel
