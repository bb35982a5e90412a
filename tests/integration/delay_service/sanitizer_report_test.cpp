#include "support/service_process.hpp"
#include "support/temp_folder.hpp"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvendel::testing {
namespace {

// A stand-in for the service: logs what it is given, says where it listens, then waits for SIGTERM.
std::string fakeService(const std::filesystem::path& folder, const std::string& log)
{
    const auto path = folder / "fake-service";
    {
        std::ofstream script(path);
        script << "#!/bin/sh\ntrap 'exit 0' TERM\nprintf '" << log
               << "' >&2\necho 'listening on 127.0.0.1:1'\nwhile :; do sleep 0.05; done\n";
    }
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path.string();
}

// EXPECT_NONFATAL_FAILURE takes no local variables.
std::string s_binary;

void runUntilStopped()
{
    ServiceProcess service({.binary = s_binary});
    ASSERT_TRUE(service.running()) << service.logText();
}

TEST(ServiceProcessTest, ASanitizerReportOfTheServiceFailsTheTest)
{
    const test::TempFolder folder;
    s_binary = fakeService(folder.path(), "==================\\nWARNING: ThreadSanitizer: data race (pid=7)\\n"
                                          "  Write of size 8 at 0x7b04 by thread T3:\\n");
    EXPECT_NONFATAL_FAILURE(runUntilStopped(), "Write of size 8 at 0x7b04 by thread T3");

    s_binary = fakeService(folder.path(), "==7==ERROR: AddressSanitizer: heap-use-after-free\\n");
    EXPECT_NONFATAL_FAILURE(runUntilStopped(), "heap-use-after-free");

    // A request line that carries the words is not a report.
    s_binary = fakeService(folder.path(), "POST /WARNING: ThreadSanitizer - status=404 0 ms\\n");
    ServiceProcess quiet({.binary = s_binary});
    ASSERT_TRUE(quiet.running()) << quiet.logText();
    quiet.stop();
    EXPECT_EQ(quiet.sanitizerReport(), "");
}

} // namespace
} // namespace orvendel::testing
