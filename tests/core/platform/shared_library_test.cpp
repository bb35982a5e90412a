#include "core/platform/curl_library.hpp"
#include "core/platform/shared_library.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace orvendel {
namespace {

// What the run-time loading of libcurl and libsecret stands on: a missing library or symbol is an error
// that names it, never a null function called later.
TEST(SharedLibrary, OpensResolvesAndNamesWhatIsMissing)
{
    auto missing = SharedLibrary::open("liborvendel-does-not-exist.so.7");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().domain, SharedLibrary::errorDomain);
    EXPECT_NE(missing.error().description.find("liborvendel-does-not-exist.so.7"), std::string::npos);

    auto libc = SharedLibrary::open("libc.so.6");
    ASSERT_TRUE(libc) << libc.error().description;
    decltype(&std::strlen) length = nullptr;
    ASSERT_TRUE((*libc)->resolve(length, "strlen"));
    EXPECT_EQ(length("steel"), 5U);

    decltype(&std::strlen) absent = nullptr;
    auto unresolved = (*libc)->resolve(absent, "orvendel_no_such_function");
    ASSERT_FALSE(unresolved);
    EXPECT_NE(unresolved.error().description.find("orvendel_no_such_function"), std::string::npos);
    EXPECT_EQ(absent, nullptr);
}

// Every symbol is bound when the library is opened: one that nothing defines fails there, by name, instead
// of ending the process at the first call.
TEST(SharedLibrary, AnUnresolvedSymbolFailsTheOpeningAndIsNamed)
{
    auto opened = SharedLibrary::open(ORVENDEL_UNRESOLVED_SYMBOL_LIBRARY);
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.error().description.find("orvendel_nowhere_defined"), std::string::npos)
        << opened.error().description;
}

TEST(SharedLibrary, CurlIsLoadedOnceWithEveryFunction)
{
    auto first = curlLibrary();
    ASSERT_TRUE(first) << first.error().description;
    auto second = curlLibrary();
    ASSERT_TRUE(second);
    EXPECT_EQ(*first, *second);
    const auto* version = (*first)->version_info(CURLVERSION_NOW);
    ASSERT_NE(version, nullptr);
    EXPECT_GE(version->version_num, 0x074400U); // curl_multi_poll and _wakeup need 7.68

    auto missing = curlLibrary("liborvendel-missing-curl.so.4");
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().description.find("liborvendel-missing-curl.so.4"), std::string::npos);
    EXPECT_EQ(*curlLibrary(), *first);
}

} // namespace
} // namespace orvendel
