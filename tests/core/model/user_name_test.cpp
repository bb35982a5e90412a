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

} // namespace
} // namespace orvendel
