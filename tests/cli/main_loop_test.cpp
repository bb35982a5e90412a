#include "cli/connectivity.hpp"
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

TEST(Connectivity, AServiceOnThisMachineIsAlwaysReachable)
{
    for (const char* url : {"http://127.0.0.1:8642/DelaysApi/Delays", "http://127.9.9.9/x", "http://localhost:1/x",
                            "https://LOCALHOST/x", "http://[::1]:8642/x", "http://user@127.0.0.1/x"}) {
        EXPECT_TRUE(isLoopbackURL(url)) << url;
    }
    for (const char* url : {"http://10.0.0.1/x", "http://127.0.0.1.example.com/x", "http://example.com/127.0.0.1",
                            "http://[::2]/x", "localhost"}) {
        EXPECT_FALSE(isLoopbackURL(url)) << url;
    }
    EXPECT_TRUE(CliConnectivity(ConnectivityMode::automatic, true).isInternetAvailable());
    EXPECT_TRUE(CliConnectivity(ConnectivityMode::online, false).isInternetAvailable());
    EXPECT_FALSE(CliConnectivity(ConnectivityMode::offline, true).isInternetAvailable());
}

} // namespace
} // namespace orvendel::cli
