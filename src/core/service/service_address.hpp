#pragma once

#include <optional>
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

// Why `url` cannot be used as an http:// or https:// address, or none when it can: the scheme, a host (a name,
// an IPv4 address or a bracketed IPv6 one), an optional port from 1 to 65535, nothing but printable ASCII, and
// no user name or password (they would travel in clear and show in every line that names the address).
// The reason reads after "KEY: ", e.g. "a port outside 1 to 65535".
std::optional<std::string> addressProblem(std::string_view url);

// The same for a base the resources are appended to, which has no query and no fragment either.
std::optional<std::string> baseURLProblem(std::string_view url);

// The address with any user name and password replaced by "…", for a line that names a refused address.
std::string withoutCredentials(std::string_view url);

} // namespace ServiceAddress
} // namespace orvendel
