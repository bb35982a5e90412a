#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace orvendel {

// A one-shot timer. Cancelling (or dropping every handle) before it fires means it never fires.
class TimerHandle {
public:
    virtual ~TimerHandle() = default;
    virtual void cancel() = 0;
};

// Where the core reads time from, so that windows of time and time-outs are testable without waiting, and the
// zone that times are shown and sent in, so that the day they fall on does not depend on the machine's zone.
// Thread contract: any thread. Timer callbacks run on a clock-owned thread (system clock) or on the
// thread that advances the clock (a test clock).
class Clock {
public:
    using WallTime = std::chrono::system_clock::time_point;
    using MonotonicTime = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    virtual ~Clock() = default;
    virtual WallTime now() const = 0;
    virtual MonotonicTime monotonicNow() const = 0;
    // Seconds east of UTC in the clock's zone at `at`, daylight saving included. Asked at the moment being
    // written, never at the real now: a change of season in between would move the date to another day.
    virtual std::chrono::seconds utcOffset(WallTime at) const = 0;
    virtual std::shared_ptr<TimerHandle> scheduleOnce(Duration delay, std::function<void()> callback) = 0;

    // A real clock with a timer thread of its own, in the process's zone (TZ, else the system's): whoever makes
    // one (a session) owns it.
    static std::shared_ptr<Clock> system();
};

} // namespace orvendel
