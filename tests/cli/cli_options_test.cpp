#include "cli/cli_options.hpp"

#include <gtest/gtest.h>

namespace orvendel::cli {
namespace {

Result<CliOptions> parse(std::vector<std::string> arguments)
{
    return parseCliOptions(arguments);
}

TEST(CliOptions, ShellTakesTheGlobalOptionsInEitherForm)
{
    const auto parsed = parse({"--json", "--service-url=http://127.0.0.1:9/DelaysApi/Delays", "--data-dir", "/tmp/x",
                               "--log", "/tmp/x.log", "--assume-online", "--timeout=5", "shell"});
    ASSERT_TRUE(parsed) << parsed.error().description;
    const auto& options = *parsed;
    EXPECT_EQ(options.mode, RunMode::shell);
    EXPECT_TRUE(options.json);
    EXPECT_EQ(options.shared.serviceURL, "http://127.0.0.1:9/DelaysApi/Delays");
    EXPECT_EQ(options.shared.applicationSupportDirectory, std::filesystem::path("/tmp/x"));
    EXPECT_EQ(options.connectivity, ConnectivityMode::online);
    EXPECT_EQ(options.timeout, std::chrono::seconds(5));
}

TEST(CliOptions, OneShotNeedsAUserAndThePasswordOnStandardInput)
{
    const auto parsed = parse({"--user", "demo", "--password-stdin", "--furnace", "2", "show", "1042"});
    ASSERT_TRUE(parsed) << parsed.error().description;
    EXPECT_EQ(parsed->mode, RunMode::oneShot);
    EXPECT_EQ(parsed->user, "demo");
    EXPECT_EQ(parsed->furnaceId, 2);
    EXPECT_EQ(parsed->command, (std::vector<std::string>{"show", "1042"}));

    EXPECT_FALSE(parse({"--user", "demo", "heats"}));
    EXPECT_FALSE(parse({"--password-stdin", "heats"}));
    EXPECT_FALSE(parse({"--user", "demo", "--password-stdin", "save", "1042"}));
    EXPECT_FALSE(parse({"--user", "demo", "--password-stdin", "show"}));
    EXPECT_FALSE(parse({"--user", "demo", "--password-stdin", "shell"}));
}

TEST(CliOptions, RefusesWhatItCannotUse)
{
    for (const auto& arguments : std::vector<std::vector<std::string>>{{},
                                                                       {"--timeout", "0", "shell"},
                                                                       {"--timeout", "soon", "shell"},
                                                                       {"--connectivity", "sometimes", "shell"},
                                                                       {"--json=yes", "shell"},
                                                                       {"--verbose", "shell"},
                                                                       {"shell", "heats"}}) {
        const auto parsed = parse(arguments);
        ASSERT_FALSE(parsed) << testing::PrintToString(arguments);
        EXPECT_EQ(parsed.error().domain, usage_error::domain);
    }
    EXPECT_EQ(parse({"--help"})->mode, RunMode::help);
}

} // namespace
} // namespace orvendel::cli
