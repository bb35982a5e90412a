#include "core/model/user_name.hpp"

#include <gtest/gtest.h>

namespace orvendel {
namespace {

TEST(UserName, OneFormUpperCasedWithoutSpaces)
{
    EXPECT_EQ(user_name::normalised(" ab cd "), "ABCD");
    EXPECT_EQ(user_name::normalised("abcd"), user_name::normalised("a b c d"));
    EXPECT_EQ(user_name::normalised("demo.user1"), "DEMO.USER1");
    const std::string jurgen = "J\xC3\x9CRGEN";
    EXPECT_EQ(user_name::normalised("j\xC3\xBCrgen"), jurgen);
    EXPECT_EQ(user_name::normalised("Gro\xC3\x9F Mann"), "GROSSMANN");
    // Normalising again changes nothing: the session re-normalises what it sent.
    EXPECT_EQ(user_name::normalised(jurgen), jurgen);
    EXPECT_EQ(user_name::normalised("GROSSMANN"), "GROSSMANN");
}

// A name typed with combining marks is the same user as its precomposed spelling; ASCII stays as it was.
TEST(UserName, DecomposedAndComposedSpellingsAreOneName)
{
    const std::string jurgen = "J\xC3\x9CRGEN";
    EXPECT_EQ(user_name::normalised("ju\xCC\x88rgen"), jurgen);
    EXPECT_EQ(user_name::normalised("JU\xCC\x88RGEN"), jurgen);
    EXPECT_EQ(user_name::normalised("A\xCC\x8A ngstro\xCC\x88m"), user_name::normalised("\xC3\xA5ngstr\xC3\xB6m"));
    // "ΐ" upper-cases to a letter with no precomposed form; the result is composed and stable.
    const std::string iota = user_name::normalised("\xCE\x90");
    EXPECT_EQ(iota, "\xCE\xAA\xCC\x81");
    EXPECT_EQ(user_name::normalised(iota), iota);
    EXPECT_EQ(user_name::normalised("demo.User-1_x"), "DEMO.USER-1_X");
}

} // namespace
} // namespace orvendel
