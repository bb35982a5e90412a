#pragma once

#include "core/platform/http_transport.hpp"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace orvendel {

// The libcurl transport: one multi handle driven by one network thread; session callbacks run on per-session
// strands of a small shared pool. https always verifies the peer's certificate and host name.
// Whatever the server sends, the client stays safe: no redirect is followed (a 3xx reply fails the task, so no
// body, password or session id goes anywhere else), and a reply larger than the cap - on the wire or once
// decompressed - fails the task before it can fill memory.
// Thread contract: any thread; destroying it cancels what is still in flight (each task completes with the
// "shut down" error) and waits for the callbacks already queued. Do not destroy it from one of its callbacks.
class CurlHttpTransport final : public HttpTransport {
public:
    // The largest reply body accepted, counted both as received and after content decoding. A busy day's
    // "Last24HoursDelays" is a few megabytes; nothing legitimate comes near this.
    static constexpr std::size_t defaultMaximumReplyBytes = 32 * 1024 * 1024;
    // The response headers of one reply, all lines together.
    static constexpr std::size_t maximumHeaderBytes = 256 * 1024;

    struct Options {
        // Caps every session's resource time-out (tests shorten it instead of waiting 12 seconds).
        std::optional<std::chrono::milliseconds> maximumResourceTimeout;
        // Caps every request's idle time-out; libcurl measures it in whole seconds, at least one.
        std::optional<std::chrono::milliseconds> maximumIdleTimeout;
        // Threads that run the session callbacks.
        int callbackThreads = 2;
        // Tests lower it to exercise the cap with small replies.
        std::size_t maximumReplyBytes = defaultMaximumReplyBytes;
        // The libcurl to load instead of the system's (tests name one that is not there).
        std::optional<std::string> libraryName;
    };

    CurlHttpTransport();
    explicit CurlHttpTransport(Options options);
    ~CurlHttpTransport() override;
    CurlHttpTransport(const CurlHttpTransport&) = delete;
    CurlHttpTransport& operator=(const CurlHttpTransport&) = delete;

    std::shared_ptr<HttpSession> makeSession(const HttpSessionConfiguration& configuration,
                                             std::weak_ptr<HttpSessionDelegate> delegate) override;

    class Engine;

private:
    std::shared_ptr<Engine> m_engine;
};

} // namespace orvendel
