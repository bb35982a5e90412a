#include "sign_in_throttle.hpp"

#include <algorithm>
#include <tuple>

namespace orvendel::delay_service {
namespace {

constexpr std::size_t sweepThreshold = 4096;

} // namespace

SignInThrottle::SignInThrottle(int failuresPerUser, int failuresPerAddress, std::chrono::seconds window, TimeSource now)
    : m_perUser(failuresPerUser), m_perAddress(failuresPerAddress), m_window(window), m_now(std::move(now))
{}

std::chrono::steady_clock::duration SignInThrottle::waitLocked(Table& table, const std::string& key, int limit,
                                                               std::chrono::steady_clock::time_point now)
{
    auto found = table.find(key);
    if (found == table.end()) {
        return {};
    }
    Failures& failures = found->second;
    while (!failures.empty() && failures.front() + m_window <= now) {
        failures.pop_front();
    }
    if (failures.empty()) {
        table.erase(found);
        return {};
    }
    if (static_cast<int>(failures.size()) < limit) {
        return {};
    }
    return failures[failures.size() - static_cast<std::size_t>(limit)] + m_window - now;
}

int SignInThrottle::secondsUntilAllowed(const std::string& user, const std::string& address)
{
    std::lock_guard lock(m_mutex);
    const auto now = m_now();
    const auto wait =
        std::max(waitLocked(m_users, user, m_perUser, now), waitLocked(m_addresses, address, m_perAddress, now));
    if (wait <= std::chrono::steady_clock::duration::zero()) {
        return 0;
    }
    return static_cast<int>(std::chrono::ceil<std::chrono::seconds>(wait).count());
}

void SignInThrottle::recordFailure(const std::string& user, const std::string& address)
{
    std::lock_guard lock(m_mutex);
    const auto now = m_now();
    // Names tried once and never again would otherwise pile up under a spray of made-up names.
    for (Table* table : {&m_users, &m_addresses}) {
        if (table->size() > sweepThreshold) {
            std::erase_if(*table, [&](const auto& entry) { return entry.second.back() + m_window <= now; });
        }
    }
    for (auto [table, key, limit] : {std::tuple{&m_users, &user, m_perUser}, {&m_addresses, &address, m_perAddress}}) {
        Failures& failures = (*table)[*key];
        failures.push_back(now);
        // Only the newest `limit` failures decide anything.
        while (static_cast<int>(failures.size()) > limit) {
            failures.pop_front();
        }
    }
}

void SignInThrottle::clear()
{
    std::lock_guard lock(m_mutex);
    m_users.clear();
    m_addresses.clear();
}

} // namespace orvendel::delay_service
