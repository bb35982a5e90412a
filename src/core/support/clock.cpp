#include "core/support/clock.hpp"

#include "core/support/serial_queue.hpp"

#include <asio/steady_timer.hpp>

#include <algorithm>
#include <atomic>

namespace orvendel {
namespace {

struct SystemTimerState {
    explicit SystemTimerState(asio::io_context& context) : timer(context) {}
    asio::steady_timer timer;
    std::atomic<bool> cancelled{false};
};

// The pending wait keeps the state alive, so the asio timer is only torn down once nothing waits on it.
// Dropping the handle cancels the timer.
class SystemTimer final : public TimerHandle {
public:
    explicit SystemTimer(std::shared_ptr<SystemTimerState> state) : m_state(std::move(state)) {}
    ~SystemTimer() override { cancel(); }
    void cancel() override
    {
        if (m_state->cancelled.exchange(true)) {
            return;
        }
        asio::post(m_state->timer.get_executor(), [state = m_state] { state->timer.cancel(); });
    }

private:
    std::shared_ptr<SystemTimerState> m_state;
};

class SystemClock final : public Clock {
public:
    SystemClock() : m_queue("ClockTimers") {}

    WallTime now() const override { return std::chrono::system_clock::now(); }
    MonotonicTime monotonicNow() const override { return std::chrono::steady_clock::now(); }

    std::shared_ptr<TimerHandle> scheduleOnce(Duration delay, std::function<void()> callback) override
    {
        auto state = std::make_shared<SystemTimerState>(m_queue.context());
        const auto deadline = std::chrono::steady_clock::now() + delay;
        m_queue.async([state, deadline, cb = std::move(callback)]() mutable {
            if (state->cancelled) {
                return;
            }
            state->timer.expires_at(deadline);
            state->timer.async_wait([state, cb = std::move(cb)](const std::error_code& error) {
                if (!error && !state->cancelled) {
                    cb();
                }
            });
        });
        return std::make_shared<SystemTimer>(state);
    }

private:
    SerialQueue m_queue;
};

} // namespace

std::shared_ptr<Clock> Clock::system()
{
    static std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
    return clock;
}

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

std::size_t ManualClock::pendingTimers() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(std::count_if(m_timers.begin(), m_timers.end(), [](const auto& weak) {
        auto timer = weak.lock();
        return timer && !timer->cancelled;
    }));
}

} // namespace orvendel
