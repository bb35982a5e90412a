#include "core/model/comment_rule.hpp"

#include "support/repeated_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace orvendel {
namespace {

using test::repeat;

TEST(CommentRule, OnlyPrintableUtf8WithinBothLimitsIsKept)
{
    using CommentRule::Problem;
    EXPECT_EQ(CommentRule::problem("Ladle late \xE2\x80\x94 crane 2"), Problem::none);
    EXPECT_EQ(CommentRule::problem("bell\x07"), Problem::controlCharacter);
    EXPECT_EQ(CommentRule::problem("two\nlines\tand a tab"), Problem::none);
    EXPECT_EQ(CommentRule::problem("carriage\rreturn"), Problem::controlCharacter);
    EXPECT_EQ(CommentRule::problem("csi\xC2\x9B"
                                   "2J"),
              Problem::controlCharacter);
    EXPECT_EQ(CommentRule::problem("bad\xFF"), Problem::notUtf8);
    EXPECT_EQ(CommentRule::problem("bell\x07 then bad\xFF"), Problem::notUtf8);
    EXPECT_EQ(CommentRule::problem("overlong\xC0\xAF"), Problem::notUtf8);
    EXPECT_EQ(CommentRule::problem("cut\xE2\x80"), Problem::notUtf8);
    // One user-perceived character built of thousands of combining marks counts once, but not its bytes.
    const std::string zalgo = "a" + repeat("\xCC\x81", 3000);
    EXPECT_EQ(CommentRule::characterCount(zalgo), 1u);
    EXPECT_EQ(CommentRule::problem(zalgo), Problem::tooManyBytes);
    EXPECT_FALSE(CommentRule::fits(zalgo));
    // 120 of the longest everyday characters (a family of four: 25 bytes each) still fit.
    const std::string family = "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7"
                               "\xE2\x80\x8D\xF0\x9F\x91\xA6";
    EXPECT_EQ(CommentRule::problem(repeat(family, 120)), Problem::none);
    EXPECT_EQ(CommentRule::problemText(Problem::tooLong, repeat("x", 121)),
              "A comment has at most 120 characters; this one has 121.");

    const std::string emoji = "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"; // 4 UTF-16 units, one character
    EXPECT_TRUE(CommentRule::fits(repeat(emoji, 120)));
    EXPECT_FALSE(CommentRule::fits(repeat(emoji, 121)));
}

TEST(CommentRule, TrimmingTakesOnlyBlanksFromTheEnds)
{
    EXPECT_EQ(CommentRule::trimmedComment(" \t\n Electrode change \r\n\xC2\xA0"), "Electrode change");
    EXPECT_EQ(CommentRule::trimmedComment("\xE2\x80\x83\xE3\x80\x80"), ""); // em space, ideographic space
    EXPECT_EQ(CommentRule::trimmedComment("a \n b"), "a \n b");
    // A malformed byte is no blank and stays, so the rule can refuse it afterwards.
    EXPECT_EQ(CommentRule::trimmedComment(" \xFF\xC2 "), "\xFF\xC2");
    EXPECT_FALSE(CommentRule::fits(CommentRule::trimmedComment(" \xFF ")));
}

} // namespace
} // namespace orvendel
