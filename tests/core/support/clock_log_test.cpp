#include "core/support/clock.hpp"
#include "core/support/log.hpp"
#include "support/manual_clock.hpp"
#include "support/scoped_environment.hpp"

#include <gtest/gtest.h>

#include <condition_variable>
#include <ctime>
#include <mutex>
#include <optional>

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

// The process's zone for one test; the C library reads TZ again only when told to.
class ScopedZone {
public:
    explicit ScopedZone(const char* zone)
    {
        m_variable.emplace("TZ", zone);
        ::tzset();
    }
    ~ScopedZone()
    {
        m_variable.reset();
        ::tzset();
    }
    ScopedZone(const ScopedZone&) = delete;
    ScopedZone& operator=(const ScopedZone&) = delete;

private:
    std::optional<test::ScopedEnvironment> m_variable;
};

// Berlin's rule written out, so that no zone database is needed: on either side of its spring change the
// offset is the one in force at the moment asked about, whatever the season of the real now.
TEST(SystemClockTest, ZoneOffsetIsTheOneInForceAtTheMomentAskedAbout)
{
    const ScopedZone berlin("CET-1CEST,M3.5.0,M10.5.0/3");
    const auto clock = Clock::system();
    const std::chrono::sys_seconds change = std::chrono::sys_days{std::chrono::year{2031} / 3 / 30} + 1h;
    EXPECT_EQ(clock->utcOffset(change - 1s), 1h);
    EXPECT_EQ(clock->utcOffset(change), 2h);
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
