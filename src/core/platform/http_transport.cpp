#include "core/platform/http_transport.hpp"

#include "core/platform/curl_http_transport.hpp"

#include <algorithm>
#include <cctype>
#include <mutex>

namespace orvendel {

namespace transport_error {
namespace {
const char* standardDescription(int code)
{
    switch (code) {
    case cancelled:
        return "The request was cancelled.";
    case timedOut:
        return "The request timed out.";
    case badURL:
        return "The service address is not a valid URL.";
    case cannotFindHost:
        return "A server with the specified hostname could not be found.";
    case cannotConnectToHost:
        return "Could not connect to the server.";
    case networkConnectionLost:
        return "The network connection was lost.";
    case secureConnectionFailed:
        return "A secure connection to the server could not be made.";
    case badServerResponse:
        return "The server's reply could not be read.";
    case shutDown:
        return "The network connection was shut down.";
    case taskRunning:
        return "The session is already running a request.";
    default:
        return "The request failed.";
    }
}
} // namespace

Error make(int code, std::string_view detail)
{
    std::string description = standardDescription(code);
    if (!detail.empty()) {
        description += " (";
        description += detail;
        description += ")";
    }
    return Error{domain, code, std::move(description)};
}
} // namespace transport_error

namespace {
bool sameField(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::mutex sharedMutex;
std::shared_ptr<HttpTransport> sharedTransport;
} // namespace

void HttpRequest::setValue(std::string newValue, std::string_view field)
{
    auto it = std::ranges::find_if(headers, [&](const auto& header) { return sameField(header.first, field); });
    if (it != headers.end()) {
        it->second = std::move(newValue);
        return;
    }
    headers.emplace_back(std::string(field), std::move(newValue));
}

std::optional<std::string> HttpRequest::value(std::string_view field) const
{
    auto it = std::ranges::find_if(headers, [&](const auto& header) { return sameField(header.first, field); });
    if (it == headers.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::shared_ptr<HttpTransport> HttpTransport::shared()
{
    std::lock_guard lock(sharedMutex);
    if (!sharedTransport) {
        sharedTransport = std::make_shared<CurlHttpTransport>();
    }
    return sharedTransport;
}

void HttpTransport::setShared(std::shared_ptr<HttpTransport> transport)
{
    std::shared_ptr<HttpTransport> previous;
    {
        std::lock_guard lock(sharedMutex);
        previous = std::exchange(sharedTransport, std::move(transport));
    }
    // `previous` is released here, outside the lock: a transport's destructor waits for its callbacks.
}

} // namespace orvendel
