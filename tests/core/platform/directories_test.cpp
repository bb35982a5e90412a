#include "core/platform/app_paths.hpp"
#include "core/platform/directories.hpp"
#include "core/support/log.hpp"

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
    const char* saved = std::getenv("ORVENDEL_DATA_DIR");
    const std::string keep = saved ? saved : "";
    setenv("ORVENDEL_DATA_DIR", "/tmp/orvendel-env-test", 1);
    EXPECT_EQ(AppPaths::dataDirectory(), std::filesystem::path("/tmp/orvendel-env-test"));
    unsetenv("ORVENDEL_DATA_DIR");
    const auto fallback = AppPaths::dataDirectory();
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->filename(), "orvendel");
    if (saved) {
        setenv("ORVENDEL_DATA_DIR", keep.c_str(), 1);
    }
}

} // namespace
} // namespace orvendel
