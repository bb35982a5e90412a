#include "core/service/wire/messages.hpp"

#include "golden_files.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

// Every parser test file of the public JSON test suite through every decoder: nothing may crash or
// throw, and input that is not JSON must fail.
namespace orvendel::wire::testing {
namespace {

template <typename... T>
std::vector<bool> decodeAll(std::string_view bytes)
{
    return {decode<T>(bytes).hasValue()...};
}

TEST(JsonTestSuite, EveryDecoderSurvivesEveryParserTestFile)
{
    const std::filesystem::path folder =
        std::filesystem::path(ORVENDEL_SHARED_DATA_DIR) / "JSONTestSuite" / "test_parsing";
    if (!std::filesystem::is_directory(folder)) {
        // A continuous-integration run must not pass without the corpus; elsewhere the skip shows in ctest.
        const char* ci = std::getenv("CI");
        if (ci != nullptr && std::string_view(ci) == "true") {
            FAIL() << "CI=true but there is no JSON test suite at " << folder;
        }
        GTEST_SKIP() << "no JSON test suite at " << folder;
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        const std::string bytes = readFile(entry.path().string());
        std::vector<bool> decoded;
        EXPECT_NO_THROW(
            (decoded = decodeAll<LoginRequestBody, FurnacesRequestBody, ReasonsRequestBody, DelaysRequestBody,
                                 SaveDelaysRequestBody, UpdatedDelaysRequestBody, LoginRequestResult,
                                 FurnacesDownloaderResult, ReasonsDownloaderResult, DelaysDownloaderResult,
                                 UpdatedDelaysDownloaderResult, SaveDelaysResult>(bytes)))
            << name;
        if (name.starts_with("n_")) {
            for (std::size_t i = 0; i < decoded.size(); ++i) {
                EXPECT_FALSE(decoded[i]) << name << " decoded as message kind " << i;
            }
        }
        ++files;
    }
    EXPECT_GT(files, 300);
}

} // namespace
} // namespace orvendel::wire::testing
