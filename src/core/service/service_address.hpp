#pragma once

#include "core/support/error.hpp"

#include <string>
#include <string_view>

namespace orvendel {

// Why an address cannot be used. The description is the reason alone, worded to read after "KEY: ", e.g.
// "a port outside 1 to 65535"; it never repeats a user name or password from the address.
namespace address_error {
inline constexpr const char* domain = "Address";
inline constexpr int notHttp = 1;
inline constexpr int unsafeCharacters = 2; // blanks, control or non-ASCII characters
inline constexpr int credentials = 3;      // a user name or password, which would travel in clear
inline constexpr int badPort = 4;
inline constexpr int trailingParts = 5; // a query or fragment where more is appended to the address
} // namespace address_error

// What an address is for, which decides what may follow its path.
enum class AddressUse {
    page,        // a page handed to the desktop: anything may follow
    serviceBase, // resources are appended as path segments: no query, no fragment
    storeSearch, // search terms are appended to the query: no fragment
};

// Where the delay service lives. The base address (scheme, host, port and the path "/DelaysApi/Delays") is
// installation configuration, resolved once at start-up and handed to the session that uses it.
// Thread contract: any thread.
namespace ServiceAddress {

inline constexpr const char* defaultBaseURL = "http://127.0.0.1:8642/DelaysApi/Delays";
inline constexpr const char* environmentVariable = "ORVENDEL_SERVICE_URL";

// The base with one more path segment: "…/DelaysApi/Delays" + "FurnacesList" → "…/DelaysApi/Delays/FurnacesList".
std::string resourceURL(std::string_view base, std::string_view resourcePathComponent);

// Succeeds when `url` can be used as an http:// or https:// address for `use`: the scheme, a host (a name,
// an IPv4 address or a bracketed IPv6 one), an optional port from 1 to 65535, nothing but printable ASCII, no
// user name or password (they would travel in clear and show in every line that names the address), and
// nothing after the path that `use` would collide with.
Result<void> checkAddress(std::string_view url, AddressUse use);

// The address with any user name and password replaced by "…", for a line that names a refused address.
std::string withoutCredentials(std::string_view url);

} // namespace ServiceAddress
} // namespace orvendel
