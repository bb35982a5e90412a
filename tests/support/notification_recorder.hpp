#pragma once

#include "core/support/notification_center.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace orvendel::test {

// Records the notifications of the given names posted on a centre, from any thread, and lets a test wait
// for them.
class NotificationRecorder {
public:
    NotificationRecorder(NotificationCenter& center, std::vector<std::string> names)
    {
        for (auto& name : names) {
            m_tokens.push_back(center.addObserver(name, [this](const Notification& notification) {
                std::lock_guard lock(m_mutex);
                m_seen.push_back(notification);
                m_changed.notify_all();
            }));
        }
    }

    std::vector<Notification> named(const std::string& name) const
    {
        std::lock_guard lock(m_mutex);
        std::vector<Notification> result;
        for (const auto& notification : m_seen) {
            if (notification.name == name) {
                result.push_back(notification);
            }
        }
        return result;
    }

    std::size_t count(const std::string& name) const { return named(name).size(); }
    std::size_t total() const
    {
        std::lock_guard lock(m_mutex);
        return m_seen.size();
    }

    // Waits (at most a generous 10 s, never expected to run out) until `name` was seen `count` times.
    bool waitFor(const std::string& name, std::size_t count = 1)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] {
            std::size_t seen = 0;
            for (const auto& notification : m_seen) {
                seen += notification.name == name ? 1 : 0;
            }
            return seen >= count;
        });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Notification> m_seen;
    std::vector<ObserverToken> m_tokens;
};

} // namespace orvendel::test
