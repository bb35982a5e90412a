#pragma once

#include "core/support/notification_center.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <tuple>
#include <vector>

namespace orvendel::test {

// A notification as it was posted: its payload, and who posted it.
template <typename Payload>
struct Recorded : Payload {
    const void* sender = nullptr;
};

// Records the notifications of the given types posted on a centre, from any thread, and lets a test wait
// for them.
template <NotificationPayload... Payloads>
class NotificationRecorder {
public:
    explicit NotificationRecorder(NotificationCenter& center)
    {
        (m_tokens.push_back(center.observe<Payloads>([this](const Payloads& payload, const void* sender) {
            std::lock_guard lock(m_mutex);
            std::get<std::vector<Recorded<Payloads>>>(m_seen).push_back(Recorded<Payloads>{payload, sender});
            m_changed.notify_all();
        })),
         ...);
    }

    template <typename Payload>
    std::vector<Recorded<Payload>> named() const
    {
        std::lock_guard lock(m_mutex);
        return std::get<std::vector<Recorded<Payload>>>(m_seen);
    }

    template <typename Payload>
    std::size_t count() const
    {
        return named<Payload>().size();
    }
    std::size_t total() const
    {
        std::lock_guard lock(m_mutex);
        return std::apply([](const auto&... seen) { return (seen.size() + ... + 0); }, m_seen);
    }

    // Waits (at most a generous 10 s, never expected to run out) until `Payload` was seen `count` times.
    template <typename Payload>
    bool waitFor(std::size_t count = 1)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10),
                                  [&] { return std::get<std::vector<Recorded<Payload>>>(m_seen).size() >= count; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::tuple<std::vector<Recorded<Payloads>>...> m_seen;
    std::vector<ObserverToken> m_tokens;
};

} // namespace orvendel::test
