#include "core/service/service_address.hpp"

#include <cstdlib>
#include <mutex>

namespace orvendel::ServiceAddress {
namespace {

std::mutex& addressMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::optional<std::string>& configuredURL()
{
    static std::optional<std::string> url;
    return url;
}

} // namespace

std::string baseURL()
{
    {
        std::lock_guard lock(addressMutex());
        if (configuredURL()) {
            return *configuredURL();
        }
    }
    const char* fromEnvironment = std::getenv(environmentVariable);
    if (fromEnvironment && *fromEnvironment) {
        return fromEnvironment;
    }
    return defaultBaseURL;
}

void setBaseURL(std::optional<std::string> url)
{
    std::lock_guard lock(addressMutex());
    configuredURL() = std::move(url);
}

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

std::string resourceURL(std::string_view resourcePathComponent)
{
    return resourceURL(baseURL(), resourcePathComponent);
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
