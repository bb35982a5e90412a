#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace orvendel::delay_service {

// Counts failed sign-ins per user name and per client address within a sliding window; while either has
// used up its allowance, further attempts are refused without being judged, so guessing cannot go on.
// Only failures count: a plant where every tablet signs in at shift change is never held back.
// Thread contract: any thread; one mutex guards the tables.
class SignInThrottle {
public:
    using TimeSource = std::function<std::chrono::steady_clock::time_point()>;

    SignInThrottle(
        int failuresPerUser, int failuresPerAddress, std::chrono::seconds window,
        TimeSource now = [] { return std::chrono::steady_clock::now(); });

    // Zero when an attempt may be judged, else the whole seconds until one may (at least 1).
    int secondsUntilAllowed(const std::string& user, const std::string& address);
    void recordFailure(const std::string& user, const std::string& address);
    void clear();

private:
    using Failures = std::deque<std::chrono::steady_clock::time_point>;
    using Table = std::unordered_map<std::string, Failures>;

    // Drops failures that left the window; the wait until the oldest one leaves when the key is at its limit.
    std::chrono::steady_clock::duration waitLocked(Table& table, const std::string& key, int limit,
                                                   std::chrono::steady_clock::time_point now);

    int m_perUser;
    int m_perAddress;
    std::chrono::seconds m_window;
    TimeSource m_now;
    std::mutex m_mutex;
    Table m_users;
    Table m_addresses;
};

} // namespace orvendel::delay_service
