#include "core/service/service_address.hpp"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>

namespace orvendel::ServiceAddress {
namespace {

Error addressError(int code, std::string description)
{
    return Error{address_error::domain, code, std::move(description)};
}

Error notHttp()
{
    return addressError(address_error::notHttp, "not an http:// or https:// address with a host");
}

bool isRegisteredNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

bool isHost(std::string_view host)
{
    if (host.starts_with('[')) {
        if (!host.ends_with(']') || host.size() > 2 + 45) { // the longest IPv6 text form
            return false;
        }
        const std::string literal(host.substr(1, host.size() - 2));
        in6_addr ignored{};
        return inet_pton(AF_INET6, literal.c_str(), &ignored) == 1;
    }
    return !host.empty() && host.size() <= 253 && std::ranges::all_of(host, isRegisteredNameCharacter);
}

bool isPort(std::string_view port)
{
    int value = 0;
    const auto* end = port.data() + port.size();
    const auto [stop, error] = std::from_chars(port.data(), end, value);
    return !port.empty() && port.size() <= 5 && error == std::errc{} && stop == end && value >= 1 && value <= 65535;
}

} // namespace

std::string resourceURL(std::string_view base, std::string_view resourcePathComponent)
{
    std::string url(base);
    while (!url.empty() && url.back() == '/') {
        url.pop_back();
    }
    url += '/';
    url += resourcePathComponent;
    return url;
}

Result<void> checkAddress(std::string_view url, AddressUse use)
{
    // Non-ASCII too: a host name goes in its punycode form, and anything else percent-encoded.
    if (std::ranges::any_of(url, [](char c) {
            return static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7f;
        })) {
        return addressError(address_error::unsafeCharacters, "blanks, control or non-ASCII characters in the address");
    }
    std::string_view rest;
    if (url.starts_with("http://")) {
        rest = url.substr(7);
    } else if (url.starts_with("https://")) {
        rest = url.substr(8);
    } else {
        return notHttp();
    }
    const auto authority = rest.substr(0, rest.find_first_of("/?#"));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        if (at == 0) {
            return notHttp();
        }
        return addressError(address_error::credentials,
                            "a user name or password in the address (it would be sent in clear): leave them out");
    }
    // A bracketed IPv6 host holds colons of its own; the port follows the closing bracket.
    std::string_view host = authority;
    std::optional<std::string_view> port;
    const auto portColon = authority.starts_with('[') ? authority.find("]:") : authority.find(':');
    if (portColon != std::string_view::npos) {
        const auto hostEnd = authority.starts_with('[') ? portColon + 1 : portColon;
        host = authority.substr(0, hostEnd);
        port = authority.substr(hostEnd + 1);
    }
    if (!isHost(host)) {
        return notHttp();
    }
    if (port && !isPort(*port)) {
        return addressError(address_error::badPort, "a port outside 1 to 65535");
    }
    switch (use) {
    case AddressUse::page:
        break;
    case AddressUse::serviceBase:
        if (url.find_first_of("?#") != std::string_view::npos) {
            return addressError(address_error::trailingParts,
                                "a query or a fragment in the address, which the resource names cannot follow");
        }
        break;
    case AddressUse::storeSearch:
        if (url.find('#') != std::string_view::npos) {
            return addressError(address_error::trailingParts,
                                "a fragment in the address, which the search terms cannot follow");
        }
        break;
    }
    return {};
}

std::string withoutCredentials(std::string_view url)
{
    const auto scheme = url.find("://");
    if (scheme == std::string_view::npos) {
        return std::string(url);
    }
    const auto start = scheme + 3;
    const auto end = url.find_first_of("/?#", start);
    const auto authority = url.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    const auto at = authority.rfind('@');
    if (at == std::string_view::npos) {
        return std::string(url);
    }
    return std::string(url.substr(0, start)) + "…" + std::string(url.substr(start + at));
}

} // namespace orvendel::ServiceAddress
