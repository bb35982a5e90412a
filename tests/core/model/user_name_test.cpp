#include "core/model/user_name.hpp"

#include <gtest/gtest.h>

namespace orvendel {
namespace {

TEST(UserName, TheServiceNameLosesItsSpacesTheStorageNameKeepsThem)
{
    EXPECT_EQ(user_name::normalised(" ab cd "), "ABCD");
    EXPECT_EQ(user_name::storageName("ab cd"), "AB CD");
    EXPECT_EQ(user_name::normalised("demo.user1"), "DEMO.USER1");
    EXPECT_EQ(user_name::storageName("demo.user1"), "DEMO.USER1");
}

TEST(UserName, BothFormsShareOneUnicodeUpperCasing)
{
    const std::string jurgen = "J\xC3\x9CRGEN";
    EXPECT_EQ(user_name::normalised("j\xC3\xBCrgen"), jurgen);
    EXPECT_EQ(user_name::storageName("j\xC3\xBCrgen"), jurgen);
    EXPECT_EQ(user_name::normalised("Gro\xC3\x9F Mann"), "GROSSMANN");
    EXPECT_EQ(user_name::storageName("Gro\xC3\x9F Mann"), "GROSS MANN");
    // Normalising again changes nothing: the session re-normalises what it sent.
    EXPECT_EQ(user_name::normalised(jurgen), jurgen);
    EXPECT_EQ(user_name::storageName("GROSS MANN"), "GROSS MANN");
}

} // namespace
} // namespace orvendel
