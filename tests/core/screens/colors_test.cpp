#include "core/screens/colors.hpp"

#include <gtest/gtest.h>

namespace orvendel::screens {
namespace {

TEST(ColorsTest, RgbTextsParseOnlyWhenWholeAndInRange)
{
    const auto parsed = rgbComponents("RGB(0,128,255)");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->at("Red"), 0);
    EXPECT_EQ(parsed->at("Green"), 128);
    EXPECT_EQ(parsed->at("Blue"), 255);
    EXPECT_TRUE(rgbComponents("rgb(1 ; 2 ; 3)"));
    EXPECT_TRUE(rgbComponents("rgb(255, 255, 255)"));
    for (const char* bad : {"rgb(256, 0, 0)", "rgb(10, 20)", "rgb(1, 2, 3) ", "rgba(1, 2, 3)", "", "rgb(-1, 2, 3)"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(rgbComponents(bad));
    }
    const auto color = colorFromComponents(rgbComponents("rgb(255, 0, 51)"));
    ASSERT_TRUE(color);
    EXPECT_DOUBLE_EQ(color->red, 1.0);
    EXPECT_DOUBLE_EQ(color->blue, 0.2);
    EXPECT_FALSE(colorFromComponents(RgbComponents{{"Red", 1}, {"Green", 2}}));
    EXPECT_FALSE(colorFromComponents(std::nullopt));
}

TEST(ColorsTest, RgbSeparatorsAreAnyRunOfNonWordCharactersHoweverLong)
{
    const auto padded = rgbComponents("rgb(007,)(099 ; 199)");
    ASSERT_TRUE(padded);
    EXPECT_EQ(*padded, (RgbComponents{{"Red", 7}, {"Green", 99}, {"Blue", 199}}));
    for (const char* bad : {"rgb(0255, 1, 1)", "rgb(1_2, 3)", "rgb(1, 2, 3))", "rgb((1, 2, 3)", "rgb(1, 2, 3,)"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(rgbComponents(bad));
    }
    // A megabyte of blanks once overflowed the stack of a regular-expression matcher.
    const std::string longText = "rgb(1" + std::string(1'000'000, ' ') + "2, 3)";
    EXPECT_TRUE(rgbComponents(longText));
}

} // namespace
} // namespace orvendel::screens
