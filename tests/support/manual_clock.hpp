#pragma once

#include "core/support/clock.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace orvendel::test {

// A clock that only moves when told to; due timers fire inside `advance`, in due order, on the thread that
// calls it. Thread contract: any thread.
class ManualClock final : public Clock {
public:
    explicit ManualClock(WallTime start = WallTime{});

    WallTime now() const override;
    MonotonicTime monotonicNow() const override;
    std::shared_ptr<TimerHandle> scheduleOnce(Duration delay, std::function<void()> callback) override;

    void advance(Duration by);
    void setNow(WallTime wallTime);
    std::size_t pendingTimers() const;

private:
    struct Timer;
    mutable std::mutex m_mutex;
    WallTime m_wall;
    MonotonicTime m_monotonic;
    std::vector<std::weak_ptr<Timer>> m_timers;
};

} // namespace orvendel::test
