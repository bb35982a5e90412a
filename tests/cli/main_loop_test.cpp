#include "cli/main_loop.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace orvendel::cli {
namespace {

using namespace std::chrono_literals;

TEST(MainLoop, RunsTasksFromOtherThreadsOnTheWaitingThreadUntilDone)
{
    MainLoop loop;
    int steps = 0; // touched by the waiting thread only
    const auto waiter = std::this_thread::get_id();
    bool sameThread = true;
    std::thread producer([&] {
        for (int i = 0; i < 3; ++i) {
            loop.post([&] {
                sameThread = sameThread && std::this_thread::get_id() == waiter;
                ++steps;
            });
        }
    });
    EXPECT_TRUE(loop.runUntil([&] { return steps == 3; }, 60s));
    producer.join();
    EXPECT_TRUE(sameThread);
}

TEST(MainLoop, RunsWhatIsQueuedBeforeJudgingAndGivesUpAtTheTimeOut)
{
    MainLoop loop;
    bool busy = false;
    loop.post([&] { busy = true; });
    // The queued task must run first: judging before it would see "not busy" and end at once.
    EXPECT_FALSE(loop.runUntil([&] { return !busy; }, 10ms));
    EXPECT_TRUE(busy);
}

} // namespace
} // namespace orvendel::cli
