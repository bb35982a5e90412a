#pragma once

#include "core/support/error.hpp"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvendel {

// Failures of the HTTP transport itself (no reply at all). Codes are stable; descriptions are shown to people.
namespace transport_error {
inline constexpr const char* domain = "TransportError";
inline constexpr int cancelled = 1;
inline constexpr int timedOut = 2;
inline constexpr int badURL = 3;
inline constexpr int cannotFindHost = 4;
inline constexpr int cannotConnectToHost = 5;
inline constexpr int networkConnectionLost = 6;
inline constexpr int secureConnectionFailed = 7;
inline constexpr int badServerResponse = 8;
inline constexpr int shutDown = 9;
inline constexpr int taskRunning = 10;
inline constexpr int redirected = 11;
inline constexpr int replyTooLarge = 12;
inline constexpr int unknown = 99;

// The error for a code, with its standard description and an optional detail appended in parentheses.
Error make(int code, std::string_view detail = {});
} // namespace transport_error

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

// One request. `timeout` is the idle time-out: the request fails when no byte moves for that long.
struct HttpRequest {
    std::string url;
    std::string method = "GET";
    HttpHeaders headers;
    std::string body;
    std::chrono::milliseconds timeout{std::chrono::seconds(60)};

    // Sets a header, replacing an earlier value of the same field (names compare without case).
    void setValue(std::string value, std::string_view field);
    std::optional<std::string> value(std::string_view field) const;
};

// Transfer settings shared by a session's requests. Sessions keep no cookies, cache or credentials.
struct HttpSessionConfiguration {
    // The whole exchange, connecting included, must finish within this time.
    std::chrono::milliseconds resourceTimeout{std::chrono::seconds(12)};

    static HttpSessionConfiguration ephemeral(std::chrono::milliseconds resourceTimeout = std::chrono::seconds(12))
    {
        return HttpSessionConfiguration{resourceTimeout};
    }
};

struct HttpResponse {
    int statusCode = 0;
    HttpHeaders headers;
};

// What a session reports. All calls of one session run one after the other, in this order: response, data
// (any number of times), completion (exactly once per started task), and — only after `invalidateAndCancel` —
// invalidation. They run on a background strand of the session's own, never on the caller's thread.
class HttpSessionDelegate {
public:
    virtual ~HttpSessionDelegate() = default;
    virtual void didReceiveResponse(const HttpResponse& response) = 0;
    virtual void didReceiveData(std::string_view bytes) = 0;
    // Succeeds when a reply arrived, whatever its status code; otherwise the transport's error.
    virtual void didComplete(const Result<void>& outcome) = 0;
    virtual void didBecomeInvalid(const Result<void>& outcome) = 0;
};

// One request's channel to the network. It carries one task at a time and keeps its delegate alive while a
// task runs (weakly otherwise). Thread contract: any thread.
class HttpSession {
public:
    virtual ~HttpSession() = default;

    // Sends the request. Refused, and nothing sent, while another task runs (taskRunning) or after
    // invalidation (cancelled); the delegate hears nothing of a refused task.
    virtual Result<void> startTask(HttpRequest request) = 0;

    // Cancels a running task, whose completion then reports the cancellation error, and then reports the
    // invalidation. Works on a session that never ran a task too (only the invalidation is reported).
    // Later calls do nothing.
    virtual void invalidateAndCancel() = 0;
};

// Makes sessions. Thread contract: any thread.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    virtual std::shared_ptr<HttpSession> makeSession(const HttpSessionConfiguration& configuration,
                                                     std::weak_ptr<HttpSessionDelegate> delegate) = 0;
};

} // namespace orvendel
