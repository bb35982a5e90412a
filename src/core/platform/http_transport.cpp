#include "core/platform/http_transport.hpp"

#include <algorithm>
#include <cctype>

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
    case redirected:
        return "The service answered with a redirect to another address; the request was not repeated.";
    case replyTooLarge:
        return "The server's reply is larger than this application accepts.";
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

} // namespace orvendel
