#include "core/support/serial_queue.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace orvendel {
namespace {

TEST(SerialQueueTest, RunsWorkInOrderOnOneThread)
{
    SerialQueue queue("TestQueue");
    std::vector<int> order;
    std::thread::id worker;
    bool sameThread = true;
    for (int i = 0; i < 100; ++i) {
        queue.async([&, i] {
            if (i == 0) {
                worker = std::this_thread::get_id();
            }
            sameThread = sameThread && worker == std::this_thread::get_id();
            order.push_back(i);
        });
    }
    queue.drain();
    ASSERT_EQ(order.size(), 100U);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    }
    EXPECT_TRUE(sameThread);
    EXPECT_NE(worker, std::this_thread::get_id());
}

TEST(SerialQueueTest, SyncReturnsValuesAndRunsInlineFromItsOwnQueue)
{
    SerialQueue queue("TestQueue");
    EXPECT_EQ(queue.sync([] { return 7; }), 7);
    EXPECT_FALSE(queue.isCurrent());

    // A synchronous call made by work already on the queue must not wait for itself.
    const int nested = queue.sync([&] {
        EXPECT_TRUE(queue.isCurrent());
        EXPECT_EQ(SerialQueue::current(), &queue);
        return queue.sync([] { return 3; }) + 1;
    });
    EXPECT_EQ(nested, 4);

    std::atomic<bool> ran{false};
    queue.async([&] { queue.sync([&] { ran = true; }); });
    queue.drain();
    EXPECT_TRUE(ran);
}

TEST(SerialQueueTest, SyncFromAnotherQueueWaitsWithoutStarving)
{
    SerialQueue first("First");
    SerialQueue second("Second");
    // Two nested synchronous hops across queues: each queue has its own thread, so neither starves.
    const int value = first.sync([&] { return second.sync([&] { return first.isCurrent() ? -1 : 5; }); });
    EXPECT_EQ(value, 5);
}

TEST(SerialQueueTest, ExceptionsInSyncReachTheCaller)
{
    SerialQueue queue("TestQueue");
    EXPECT_THROW(queue.sync([]() -> int { throw std::runtime_error("boom"); }), std::runtime_error);
    EXPECT_EQ(queue.sync([] { return 1; }), 1);
}

TEST(SerialQueueTest, DestructionRunsWhatWasQueued)
{
    std::atomic<int> count{0};
    {
        SerialQueue queue("TestQueue");
        for (int i = 0; i < 50; ++i) {
            queue.async([&] { ++count; });
        }
    }
    EXPECT_EQ(count.load(), 50);
}

TEST(SerialQueueTest, ManyProducersKeepPerProducerOrder)
{
    SerialQueue queue("TestQueue");
    std::vector<std::vector<int>> seen(4);
    std::vector<std::thread> producers;
    for (int p = 0; p < 4; ++p) {
        producers.emplace_back([&, p] {
            for (int i = 0; i < 200; ++i) {
                queue.async([&, p, i] { seen[static_cast<std::size_t>(p)].push_back(i); });
            }
        });
    }
    for (auto& producer : producers) {
        producer.join();
    }
    queue.drain();
    for (const auto& values : seen) {
        ASSERT_EQ(values.size(), 200U);
        for (int i = 0; i < 200; ++i) {
            EXPECT_EQ(values[static_cast<std::size_t>(i)], i);
        }
    }
}

} // namespace
} // namespace orvendel
