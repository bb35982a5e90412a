#pragma once

#include "core/platform/http_transport.hpp"

#include <chrono>
#include <memory>
#include <optional>

namespace orvendel {

// The libcurl transport: one multi handle driven by one network thread; session callbacks run on per-session
// strands of a small shared pool. https always verifies the peer's certificate and host name.
// Thread contract: any thread; destroying it cancels what is still in flight (each task completes with the
// "shut down" error) and waits for the callbacks already queued. Do not destroy it from one of its callbacks.
class CurlHttpTransport final : public HttpTransport {
public:
    struct Options {
        // Caps every session's resource time-out (tests shorten it instead of waiting 12 seconds).
        std::optional<std::chrono::milliseconds> maximumResourceTimeout;
        // Caps every request's idle time-out; libcurl measures it in whole seconds, at least one.
        std::optional<std::chrono::milliseconds> maximumIdleTimeout;
        // Threads that run the session callbacks.
        int callbackThreads = 2;
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
