#include "core/support/notification_center.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace orvendel {
namespace {

struct Changed {
    static constexpr const char* name = "Changed";
    int heatId = 0;
    std::string text;
};
struct Other {
    static constexpr const char* name = "Other";
};
struct X {
    static constexpr const char* name = "X";
};

TEST(NotificationCenterTest, DeliversToMatchingTypesAndSendersInOrder)
{
    NotificationCenter center;
    int senderA = 0;
    int senderB = 0;
    std::vector<std::string> calls;
    auto any = center.observe<Changed>([&](const Changed&) { calls.push_back("any"); });
    auto onlyA = center.observe<Changed>(&senderA, [&](const Changed&) { calls.push_back("a"); });
    auto other = center.observe<Other>([&](const Other&) { calls.push_back("other"); });

    center.post(Changed{}, &senderA);
    center.post(Changed{}, &senderB);

    EXPECT_EQ(calls, (std::vector<std::string>{"any", "a", "any"}));
}

TEST(NotificationCenterTest, TypedObserversGetThePayloadAndSenderPosted)
{
    NotificationCenter center;
    int sender = 0;
    std::vector<std::pair<Changed, const void*>> seen;
    auto token = center.observe<Changed>(
        [&](const Changed& changed, const void* postedBy) { seen.emplace_back(changed, postedBy); });
    center.post(Changed{42, "edited"}, &sender);
    ASSERT_EQ(seen.size(), 1U);
    EXPECT_EQ(seen[0].first.heatId, 42);
    EXPECT_EQ(seen[0].first.text, "edited");
    EXPECT_EQ(seen[0].second, &sender);
}

TEST(NotificationCenterTest, TokensRemoveObserversWhenDroppedOrReset)
{
    NotificationCenter center;
    int count = 0;
    {
        auto token = center.observe<X>([&](const X&) { ++count; });
        center.post(X{});
        ObserverToken moved = std::move(token);
        center.post(X{});
    }
    center.post(X{});
    EXPECT_EQ(count, 2);
    EXPECT_EQ(center.observerCount(), 0U);
}

TEST(NotificationCenterTest, ATokenMayOutliveItsCentre)
{
    ObserverToken token;
    {
        NotificationCenter center;
        token = center.observe<X>([](const X&) {});
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
    self = center.observe<X>([&](const X&) {
        ++firstCalls;
        second.reset();
        self.reset();
    });
    second = center.observe<X>([&](const X&) { ++secondCalls; });

    center.post(X{});
    center.post(X{});

    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0);
}

TEST(NotificationCenterTest, ObserversMayPostAndAddFromInsideACall)
{
    NotificationCenter center;
    std::vector<std::string> calls;
    ObserverToken added;
    auto outer = center.observe<Changed>([&](const Changed&) {
        calls.push_back("outer");
        added = center.observe<Other>([&](const Other&) { calls.push_back("inner"); });
        center.post(Other{});
    });
    center.post(Changed{});
    EXPECT_EQ(calls, (std::vector<std::string>{"outer", "inner"}));
}

TEST(NotificationCenterTest, RemovalWaitsForACallRunningOnAnotherThread)
{
    NotificationCenter center;
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
    std::atomic<int> calls{0};
    auto token = center.observe<X>([&](const X&) {
        if (++calls > 1) {
            return;
        }
        entered = true;
        while (!release) {
            std::this_thread::yield();
        }
        finished = true;
    });
    std::thread poster([&] { center.post(X{}); });
    while (!entered) {
        std::this_thread::yield();
    }
    // The observer is let go only once the removal has begun: a post from here no longer reaches it.
    std::thread releaser([&] {
        while (true) {
            const int before = calls;
            center.post(X{});
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
    auto stable = center.observe<X>([&](const X&) { ++delivered; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                auto transient = center.observe<X>([](const X&) {});
                center.post(X{});
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
