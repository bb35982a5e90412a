#pragma once

#include "cli_process.hpp"
#include "support/service_client.hpp"
#include "support/service_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace orvendel::testing {

using nlohmann::json;

// One reference service per suite, reset before every test; each test drives its own orvendel-cli
// processes with a fresh data folder.
class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_service = std::make_unique<ServiceProcess>(ServiceProcessOptions{.seed = 5}); }
    static void TearDownTestSuite() { s_service.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_service->running()) << s_service->logText();
        admin = std::make_unique<ServiceClient>(s_service->port());
        ASSERT_EQ(admin->reset().status, 200);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // The pid keeps test runs of other build trees, started at the same time, out of this run's folder.
        m_folder = std::filesystem::temp_directory_path() / (std::string("orvendel-cli-") + std::to_string(::getpid()) +
                                                             "-" + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(m_folder);
    }

    void TearDown() override
    {
        m_processes.clear();
        if (!HasFailure()) {
            std::filesystem::remove_all(m_folder);
        }
    }

    std::string serviceUrl() const { return s_service->baseUrl(); }
    std::filesystem::path dataFolder() const { return m_folder / "data"; }

    // `orvendel-cli [extra] --service-url URL --data-dir DIR shell`, with --json unless `text`.
    CliProcess& startShell(std::vector<std::string> extra = {}, bool text = false, std::string url = {})
    {
        std::vector<std::string> arguments;
        if (!text) {
            arguments.push_back("--json");
        }
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        arguments.push_back("--service-url");
        arguments.push_back(url.empty() ? serviceUrl() : url);
        arguments.insert(arguments.end(), {"--data-dir", dataFolder().string(), "shell"});
        return start(std::move(arguments));
    }

    CliProcess& start(std::vector<std::string> arguments)
    {
        const auto folder = m_folder / ("cli-" + std::to_string(m_processes.size()));
        m_processes.push_back(std::make_unique<CliProcess>(std::move(arguments), folder));
        EXPECT_TRUE(m_processes.back()->started());
        return *m_processes.back();
    }

    // The listed heat with that number.
    static json heatNumbered(const json& heats, int number)
    {
        for (const auto& heat : heats) {
            if (heat["heatNumber"] == number) {
                return heat;
            }
        }
        return nullptr;
    }

    // The first listed heat with a delay of at least `seconds` and at least two delays.
    static json heatWithLongDelay(const json& heats, int seconds)
    {
        for (const auto& heat : heats) {
            if (heat["delays"].size() < 2) {
                continue;
            }
            for (const auto& delay : heat["delays"]) {
                if (delay["durationSeconds"].get<int>() >= seconds) {
                    return heat;
                }
            }
        }
        return nullptr;
    }

    // The service's own copy of a heat, read with a session of its own.
    std::optional<wire::JSON_Heat> serviceHeat(int heatId, int furnaceId = 1)
    {
        ServiceClient client(s_service->port());
        EXPECT_TRUE(client.signIn());
        wire::DelaysRequestBody body{client.common(furnaceId), {"2000-01-01T00:00:00Z", true}};
        auto reply = client.call<wire::DelaysDownloaderResult>("Last24HoursDelays", body);
        if (!reply || !reply->data) {
            return std::nullopt;
        }
        for (auto& heat : *reply->data) {
            if (heat.heatId == heatId) {
                return heat;
            }
        }
        return std::nullopt;
    }

    static inline std::unique_ptr<ServiceProcess> s_service;
    std::unique_ptr<ServiceClient> admin;

private:
    std::filesystem::path m_folder;
    std::vector<std::unique_ptr<CliProcess>> m_processes;
};

} // namespace orvendel::testing
