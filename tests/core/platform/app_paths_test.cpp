#include "core/platform/app_paths.hpp"
#include "support/scoped_environment.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvendel {
namespace {

TEST(AppPathsTest, EnvironmentOrder)
{
    test::ScopedEnvironment home{"HOME", "/home/op"};
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", "/xdg"};
    {
        test::ScopedEnvironment data{"ORVENDEL_DATA_DIR", "/tmp/orvendel-env-test"};
        EXPECT_EQ(AppPaths::applicationSupportDirectory(), std::filesystem::path("/tmp/orvendel-env-test"));
    }
    test::ScopedEnvironment data{"ORVENDEL_DATA_DIR", std::nullopt};
    EXPECT_EQ(AppPaths::applicationSupportDirectory(), std::filesystem::path("/xdg/orvendel"));
    // A relative folder would move with the working directory: it is ignored.
    test::ScopedEnvironment relative{"XDG_DATA_HOME", "share"};
    EXPECT_EQ(AppPaths::applicationSupportDirectory(), std::filesystem::path("/home/op/.local/share/orvendel"));
}

} // namespace
} // namespace orvendel
