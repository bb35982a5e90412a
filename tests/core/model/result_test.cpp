#include "core/model/result_information.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace orvendel {
namespace {

Result<std::unique_ptr<int>> parsePositive(int value)
{
    if (value <= 0) {
        return Error{"Test", value, "not positive"};
    }
    return std::make_unique<int>(value);
}

TEST(Result, CarriesAMoveOnlyValueOrTheErrorAndTestsLikeABool)
{
    auto good = parsePositive(4);
    ASSERT_TRUE(good);
    EXPECT_FALSE(good.errorIfAny());
    std::unique_ptr<int> taken = std::move(good).value();
    EXPECT_EQ(*taken, 4);

    const auto bad = parsePositive(-2);
    EXPECT_FALSE(bad);
    EXPECT_TRUE(bad.error().is("Test", -2));
    EXPECT_EQ(bad.errorIfAny()->description, "not positive");
}

TEST(Result, VoidResultIsSuccessUnlessAnErrorIsGiven)
{
    const Result<void> ok;
    EXPECT_TRUE(ok);
    const Result<void> failed = Error{"Test", 1, "no"};
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.error().code, 1);
    EXPECT_EQ(Result<int>(Error{"Test", 1, "no"}).valueOr(7), 7);
}

} // namespace
} // namespace orvendel
