#include "core/support/clock.hpp"

#include "core/support/serial_queue.hpp"

#include <asio/steady_timer.hpp>

#include <atomic>
#include <ctime>

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

    std::chrono::seconds utcOffset(WallTime at) const override
    {
        const std::time_t moment = std::chrono::system_clock::to_time_t(at);
        std::tm local{};
        if (localtime_r(&moment, &local) == nullptr) {
            return std::chrono::seconds{0};
        }
        return std::chrono::seconds{local.tm_gmtoff};
    }

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
    return std::make_shared<SystemClock>();
}

} // namespace orvendel
