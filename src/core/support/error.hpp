#pragma once

#include <string>
#include <string_view>

namespace orvendel {

// An error value: a domain text, an integer code and a description shown to people. It lives below every
// other layer because the platform's transports report with it as much as the service client does.
struct Error {
    std::string domain;
    int code = 0;
    std::string description;

    bool is(std::string_view otherDomain, int otherCode) const { return domain == otherDomain && code == otherCode; }
};

} // namespace orvendel
