#include "support/manual_executor.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace orvendel::test {
namespace {

// Flow tests lean on this: a task posted while the queue drains runs in the same drain, after the tasks
// already waiting.
TEST(ManualExecutorTest, RunsNothingUntilDrainedThenRunsFollowUpsInOrder)
{
    ManualExecutor executor;
    std::vector<int> ran;
    executor.post([&] {
        ran.push_back(1);
        executor.post([&] { ran.push_back(3); });
    });
    executor.post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(executor.pending(), 2U);

    EXPECT_EQ(executor.runPending(), 3U);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(executor.pending(), 0U);
}

} // namespace
} // namespace orvendel::test
