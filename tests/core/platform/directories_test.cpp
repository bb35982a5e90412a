#include "core/platform/app_paths.hpp"
#include "core/platform/directories.hpp"
#include "core/support/log.hpp"
#include "support/scoped_environment.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace orvendel {
namespace {

class DirectoriesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = std::filesystem::temp_directory_path() /
                 ("orvendel-paths-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_root);
    }
    void TearDown() override { std::filesystem::remove_all(m_root); }
    std::filesystem::path m_root;
};

TEST_F(DirectoriesTest, FailuresAreReportedOnTheConsole)
{
    std::filesystem::create_directories(m_root);
    std::ofstream(m_root / "file") << "x";
    ScopedLogCapture capture;
    EXPECT_TRUE(directories::createDirectoryIfNeeded(m_root / "a" / "b"));
    EXPECT_TRUE(directories::createDirectoryIfNeeded(m_root / "file"));
    EXPECT_FALSE(directories::createDirectoryIfNeeded(m_root / "file" / "c"));
    EXPECT_TRUE(capture.contains("Error: "));
}

TEST(AppPathsTest, EnvironmentOrder)
{
    test::ScopedEnvironment home{"HOME", "/home/op"};
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", "/xdg"};
    {
        test::ScopedEnvironment data{"ORVENDEL_DATA_DIR", "/tmp/orvendel-env-test"};
        EXPECT_EQ(AppPaths::dataDirectory(), std::filesystem::path("/tmp/orvendel-env-test"));
    }
    test::ScopedEnvironment data{"ORVENDEL_DATA_DIR", std::nullopt};
    EXPECT_EQ(AppPaths::dataDirectory(), std::filesystem::path("/xdg/orvendel"));
    // A relative folder would move with the working directory: it is ignored.
    test::ScopedEnvironment relative{"XDG_DATA_HOME", "share"};
    EXPECT_EQ(AppPaths::dataDirectory(), std::filesystem::path("/home/op/.local/share/orvendel"));
}

} // namespace
} // namespace orvendel
