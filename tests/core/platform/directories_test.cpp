#include "core/platform/app_paths.hpp"
#include "core/platform/directories.hpp"
#include "core/support/log.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace orvendel {
namespace {

class ApplicationSupportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = std::filesystem::temp_directory_path() /
                 ("orvendel-paths-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_root);
    }
    void TearDown() override
    {
        AppPaths::setDataDirectoryOverride(std::nullopt);
        std::filesystem::remove_all(m_root);
    }
    std::filesystem::path m_root;
};

TEST_F(ApplicationSupportTest, CreatedOnceWithACacheDirectoryTag)
{
    const auto folder = m_root / "nested" / "orvendel";
    AppPaths::setDataDirectoryOverride(folder);
    EXPECT_TRUE(directories::ensureApplicationSupportDirectory());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    std::ifstream tag(folder / "CACHEDIR.TAG");
    std::string signature;
    std::getline(tag, signature);
    EXPECT_EQ(signature, "Signature: 8a477f597d28d172789f06886806bc55");

    // An existing folder is accepted as it is.
    std::filesystem::remove(folder / "CACHEDIR.TAG");
    EXPECT_TRUE(directories::ensureApplicationSupportDirectory());
    EXPECT_FALSE(std::filesystem::exists(folder / "CACHEDIR.TAG"));
}

TEST_F(ApplicationSupportTest, FailuresAreReportedOnTheConsole)
{
    std::filesystem::create_directories(m_root);
    std::ofstream(m_root / "file") << "x";
    AppPaths::setDataDirectoryOverride(m_root / "file" / "below");
    ScopedLogCapture capture;
    EXPECT_FALSE(directories::ensureApplicationSupportDirectory());
    EXPECT_TRUE(capture.contains("Unable to create ApplicationSupport directory. "));

    EXPECT_TRUE(directories::createDirectoryIfNeeded(m_root / "a" / "b"));
    EXPECT_TRUE(directories::createDirectoryIfNeeded(m_root / "file"));
    EXPECT_FALSE(directories::createDirectoryIfNeeded(m_root / "file" / "c"));
    EXPECT_TRUE(capture.contains("Error: "));
}

TEST(AppPathsTest, EnvironmentOrder)
{
    AppPaths::setDataDirectoryOverride(std::nullopt);
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
