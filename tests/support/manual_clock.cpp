#include "support/manual_clock.hpp"

#include <algorithm>
#include <atomic>

namespace orvendel::test {

struct ManualClock::Timer final : TimerHandle {
    MonotonicTime due;
    std::function<void()> callback;
    std::atomic<bool> cancelled{false};
    void cancel() override { cancelled = true; }
};

ManualClock::ManualClock(WallTime start) : m_wall(start), m_monotonic(MonotonicTime{} + std::chrono::hours(1)) {}

Clock::WallTime ManualClock::now() const
{
    std::lock_guard lock(m_mutex);
    return m_wall;
}

Clock::MonotonicTime ManualClock::monotonicNow() const
{
    std::lock_guard lock(m_mutex);
    return m_monotonic;
}

std::chrono::seconds ManualClock::utcOffset(WallTime at) const
{
    std::lock_guard lock(m_mutex);
    return at < m_zoneChange ? m_offsetBefore : m_offsetAfter;
}

std::shared_ptr<TimerHandle> ManualClock::scheduleOnce(Duration delay, std::function<void()> callback)
{
    auto timer = std::make_shared<Timer>();
    timer->callback = std::move(callback);
    std::lock_guard lock(m_mutex);
    timer->due = m_monotonic + delay;
    m_timers.push_back(timer);
    return timer;
}

void ManualClock::advance(Duration by)
{
    MonotonicTime target;
    {
        std::lock_guard lock(m_mutex);
        target = m_monotonic + by;
    }
    for (;;) {
        std::shared_ptr<Timer> next;
        {
            std::lock_guard lock(m_mutex);
            std::erase_if(m_timers, [](const auto& weak) {
                auto timer = weak.lock();
                return !timer || timer->cancelled;
            });
            for (const auto& weak : m_timers) {
                auto timer = weak.lock();
                if (timer && timer->due <= target && (!next || timer->due < next->due)) {
                    next = timer;
                }
            }
            if (!next) {
                m_wall += std::chrono::duration_cast<std::chrono::system_clock::duration>(target - m_monotonic);
                m_monotonic = target;
                return;
            }
            m_wall += std::chrono::duration_cast<std::chrono::system_clock::duration>(next->due - m_monotonic);
            m_monotonic = next->due;
            std::erase_if(m_timers, [&](const auto& weak) { return weak.lock() == next; });
        }
        next->callback();
    }
}

void ManualClock::setNow(WallTime wallTime)
{
    std::lock_guard lock(m_mutex);
    m_wall = wallTime;
}

void ManualClock::setZone(std::chrono::seconds offset)
{
    setZone(offset, WallTime::max(), offset);
}

void ManualClock::setZone(std::chrono::seconds before, WallTime change, std::chrono::seconds after)
{
    std::lock_guard lock(m_mutex);
    m_offsetBefore = before;
    m_zoneChange = change;
    m_offsetAfter = after;
}

std::size_t ManualClock::pendingTimers() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(std::count_if(m_timers.begin(), m_timers.end(), [](const auto& weak) {
        auto timer = weak.lock();
        return timer && !timer->cancelled;
    }));
}

} // namespace orvendel::test
