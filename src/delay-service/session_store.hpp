#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orvendel::delay_service {

// Live sessions, in memory: a random token per sign-in, valid while it is used at least once per TTL.
// Thread contract: any thread; one mutex guards the table.
class SessionStore {
public:
    using TimeSource = std::function<std::chrono::steady_clock::time_point()>;

    explicit SessionStore(
        std::chrono::seconds ttl, TimeSource now = [] { return std::chrono::steady_clock::now(); })
        : m_ttl(ttl), m_now(std::move(now))
    {}

    // A new session for the (normalised) user; none when no random token could be made.
    std::optional<std::string> create(const std::string& username);
    // True when the token is live and belongs to the user; a valid use renews the session.
    bool validate(const std::string& username, const std::string& token);
    void expire(const std::string& token);
    void expireAll();
    std::size_t activeCount();

private:
    struct Session {
        std::string username;
        std::chrono::steady_clock::time_point expiresAt;
    };
    void dropExpiredLocked(std::chrono::steady_clock::time_point now);

    std::chrono::seconds m_ttl;
    TimeSource m_now;
    std::mutex m_mutex;
    std::unordered_map<std::string, Session> m_sessions;
};

} // namespace orvendel::delay_service
