#pragma once

#include "core/support/clock.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace orvendel::test {

// A clock that only moves when told to; due timers fire inside `advance`, in due order, on the thread that
// calls it. Its zone is UTC until a test sets another, whatever the process's zone. Thread contract: any thread.
class ManualClock final : public Clock {
public:
    explicit ManualClock(WallTime start = WallTime{});

    WallTime now() const override;
    MonotonicTime monotonicNow() const override;
    std::chrono::seconds utcOffset(WallTime at) const override;
    std::shared_ptr<TimerHandle> scheduleOnce(Duration delay, std::function<void()> callback) override;

    void advance(Duration by);
    void setNow(WallTime wallTime);
    // A zone of one fixed offset.
    void setZone(std::chrono::seconds offset);
    // A zone whose offset steps from `before` to `after` at `change`, as on a daylight-saving day.
    void setZone(std::chrono::seconds before, WallTime change, std::chrono::seconds after);
    std::size_t pendingTimers() const;

private:
    struct Timer;
    mutable std::mutex m_mutex;
    WallTime m_wall;
    MonotonicTime m_monotonic;
    std::chrono::seconds m_offsetBefore{0};
    WallTime m_zoneChange = WallTime::max();
    std::chrono::seconds m_offsetAfter{0};
    std::vector<std::weak_ptr<Timer>> m_timers;
};

} // namespace orvendel::test
