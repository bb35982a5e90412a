#include "core/support/notification_center.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace orvendel {
namespace {

TEST(NotificationCenterTest, DeliversToMatchingNamesAndSendersInOrder)
{
    NotificationCenter center;
    int senderA = 0;
    int senderB = 0;
    std::vector<std::string> calls;
    auto any = center.addObserver("Changed", [&](const Notification&) { calls.push_back("any"); });
    auto onlyA = center.addObserver("Changed", &senderA, [&](const Notification&) { calls.push_back("a"); });
    auto other = center.addObserver("Other", [&](const Notification&) { calls.push_back("other"); });

    center.post("Changed", &senderA);
    center.post("Changed", &senderB);

    EXPECT_EQ(calls, (std::vector<std::string>{"any", "a", "any"}));
}

TEST(NotificationCenterTest, UserInfoTellsMissingFromWrongType)
{
    NotificationCenter center;
    const int* heatId = nullptr;
    const std::string* wrongType = nullptr;
    bool missingKnown = false;
    auto token = center.addObserver("ReloadData", [&](const Notification& n) {
        static int keep = 0;
        keep = n.value<int>("HeatId") ? *n.value<int>("HeatId") : -1;
        heatId = &keep;
        wrongType = n.value<std::string>("HeatId");
        missingKnown = !n.has("SelectedDelayStartDate");
    });
    center.post("ReloadData", nullptr, {{"HeatId", 42}});
    ASSERT_NE(heatId, nullptr);
    EXPECT_EQ(*heatId, 42);
    EXPECT_EQ(wrongType, nullptr);
    EXPECT_TRUE(missingKnown);
}

TEST(NotificationCenterTest, TokensRemoveObserversWhenDroppedOrReset)
{
    NotificationCenter center;
    int count = 0;
    {
        auto token = center.addObserver("X", [&](const Notification&) { ++count; });
        center.post("X");
        ObserverToken moved = std::move(token);
        center.post("X");
    }
    center.post("X");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(center.observerCount(), 0U);
}

TEST(NotificationCenterTest, ATokenMayOutliveItsCentre)
{
    ObserverToken token;
    {
        NotificationCenter center;
        token = center.addObserver("X", [](const Notification&) {});
    }
    token.reset(); // the centre is gone: nothing to remove, nothing to crash on
    EXPECT_FALSE(token);
}

TEST(NotificationCenterTest, RemovalDuringPostIsSafe)
{
    NotificationCenter center;
    ObserverToken second;
    int firstCalls = 0;
    int secondCalls = 0;
    ObserverToken self;
    // The first observer removes the second (not yet called) and itself in the middle of one post.
    self = center.addObserver("X", [&](const Notification&) {
        ++firstCalls;
        second.reset();
        self.reset();
    });
    second = center.addObserver("X", [&](const Notification&) { ++secondCalls; });

    center.post("X");
    center.post("X");

    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0);
}

TEST(NotificationCenterTest, ObserversMayPostAndAddFromInsideACall)
{
    NotificationCenter center;
    std::vector<std::string> calls;
    ObserverToken added;
    auto outer = center.addObserver("Outer", [&](const Notification&) {
        calls.push_back("outer");
        added = center.addObserver("Inner", [&](const Notification&) { calls.push_back("inner"); });
        center.post("Inner");
    });
    center.post("Outer");
    EXPECT_EQ(calls, (std::vector<std::string>{"outer", "inner"}));
}

TEST(NotificationCenterTest, RemovalWaitsForACallRunningOnAnotherThread)
{
    NotificationCenter center;
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
    std::atomic<int> calls{0};
    auto token = center.addObserver("Slow", [&](const Notification&) {
        if (++calls > 1) {
            return;
        }
        entered = true;
        while (!release) {
            std::this_thread::yield();
        }
        finished = true;
    });
    std::thread poster([&] { center.post("Slow"); });
    while (!entered) {
        std::this_thread::yield();
    }
    // The observer is let go only once the removal has begun: a post from here no longer reaches it.
    std::thread releaser([&] {
        while (true) {
            const int before = calls;
            center.post("Slow");
            if (calls == before) {
                break;
            }
        }
        release = true;
    });
    token.reset();
    // Once reset returns, the observer's call has ended: its captured state may be destroyed safely.
    EXPECT_TRUE(finished);
    poster.join();
    releaser.join();
}

TEST(NotificationCenterTest, ConcurrentPostsAndRegistrationsStayConsistent)
{
    NotificationCenter center;
    std::atomic<int> delivered{0};
    auto stable = center.addObserver("Tick", [&](const Notification&) { ++delivered; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                auto transient = center.addObserver("Tick", [](const Notification&) {});
                center.post("Tick");
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(delivered.load(), 2000);
    EXPECT_EQ(center.observerCount(), 1U);
}

} // namespace
} // namespace orvendel
