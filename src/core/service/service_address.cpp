#include "core/service/service_address.hpp"

namespace orvendel::ServiceAddress {

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

bool isValidBaseURL(std::string_view url)
{
    std::string_view rest;
    if (url.starts_with("http://")) {
        rest = url.substr(7);
    } else if (url.starts_with("https://")) {
        rest = url.substr(8);
    } else {
        return false;
    }
    const auto hostEnd = rest.find_first_of("/:?#");
    return hostEnd != 0 && !rest.empty();
}

} // namespace orvendel::ServiceAddress
