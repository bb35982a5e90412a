#include "core/support/clock.hpp"
#include "core/support/log.hpp"
#include "support/manual_clock.hpp"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace orvendel {
namespace {

using namespace std::chrono_literals;

TEST(ManualClockTest, FiresDueTimersInOrderAndMovesBothClocks)
{
    test::ManualClock clock(Clock::WallTime{} + 1000s);
    std::vector<int> fired;
    auto late = clock.scheduleOnce(300s, [&] { fired.push_back(300); });
    auto early = clock.scheduleOnce(10s, [&] { fired.push_back(10); });
    auto cancelled = clock.scheduleOnce(20s, [&] { fired.push_back(20); });
    cancelled->cancel();

    const auto start = clock.monotonicNow();
    clock.advance(299s);
    EXPECT_EQ(fired, std::vector<int>{10});
    clock.advance(1s);
    EXPECT_EQ(fired, (std::vector<int>{10, 300}));
    EXPECT_EQ(clock.monotonicNow() - start, 300s);
    EXPECT_EQ(clock.now(), Clock::WallTime{} + 1300s);
    EXPECT_EQ(clock.pendingTimers(), 0U);
}

TEST(ManualClockTest, DroppedHandleNeverFiresAndCallbacksMayReschedule)
{
    test::ManualClock clock;
    int fired = 0;
    clock.scheduleOnce(5s, [&] { ++fired; }); // handle dropped at once
    std::shared_ptr<TimerHandle> again;
    auto first = clock.scheduleOnce(5s, [&] {
        ++fired;
        again = clock.scheduleOnce(5s, [&] { ++fired; });
    });
    clock.advance(20s);
    EXPECT_EQ(fired, 2);
}

TEST(SystemClockTest, OneShotTimerFiresAndCancelledOneDoesNot)
{
    auto clock = Clock::system();
    std::mutex mutex;
    std::condition_variable cv;
    bool fired = false;
    bool cancelledFired = false;
    auto cancelled = clock->scheduleOnce(1ms, [&] {
        std::lock_guard lock(mutex);
        cancelledFired = true;
    });
    cancelled->cancel();
    auto timer = clock->scheduleOnce(5ms, [&] {
        std::lock_guard lock(mutex);
        fired = true;
        cv.notify_all();
    });
    std::unique_lock lock(mutex);
    ASSERT_TRUE(cv.wait_for(lock, 10s, [&] { return fired; }));
    EXPECT_FALSE(cancelledFired);
}

TEST(LogTest, CaptureSeesLinesAndRestoresThePreviousSink)
{
    ScopedLogCapture outer;
    {
        ScopedLogCapture inner;
        log("Started Reachability Notifier");
        EXPECT_TRUE(inner.contains("Reachability"));
        EXPECT_EQ(inner.lines().size(), 1U);
    }
    log("after");
    EXPECT_EQ(outer.lines(), std::vector<std::string>{"after"});
}

} // namespace
} // namespace orvendel
