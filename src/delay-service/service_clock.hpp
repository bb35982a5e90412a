#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace orvendel::delay_service {

// The service's monotonic time for sessions and sign-in windows: the steady clock plus what admin calls
// have added, so that tests let a session or a window run out without waiting for it. It only moves
// forward; a reset leaves it where it is. Thread contract: any thread.
class ServiceClock {
public:
    std::chrono::steady_clock::time_point now() const
    {
        return std::chrono::steady_clock::now() + std::chrono::nanoseconds(m_advancedNanoseconds.load());
    }

    // Moves the time forward; the whole advance so far.
    std::chrono::seconds advance(std::chrono::seconds by)
    {
        const auto step = std::chrono::duration_cast<std::chrono::nanoseconds>(by).count();
        return std::chrono::duration_cast<std::chrono::seconds>(
            std::chrono::nanoseconds(m_advancedNanoseconds.fetch_add(step) + step));
    }

private:
    std::atomic<std::int64_t> m_advancedNanoseconds{0};
};

} // namespace orvendel::delay_service
