#pragma once

#include "support/service_client.hpp"
#include "support/service_process.hpp"

#include "core/model/zoned_date_time.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <memory>

namespace orvendel::testing {

// One service per test suite; every test starts from a reset plant with the demo user signed in.
class DelayServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_service = std::make_unique<ServiceProcess>(ServiceProcessOptions{
            .seed = 42,
            .extraArguments = {"--utc-offset", "-06:00", "--add-user", "ann:s3cret-Pa55:2", "--add-user",
                               "j\xC3\xBCrgen:pw-j:3", "--add-user", "ab cd:pw-ab:1"}});
    }
    static void TearDownTestSuite() { s_service.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_service->running()) << s_service->logText();
        m_client = std::make_unique<ServiceClient>(s_service->port());
        ASSERT_EQ(m_client->reset().status, 200);
        ASSERT_TRUE(m_client->signIn());
    }

    ServiceProcess& service() { return *s_service; }
    ServiceClient& client() { return *m_client; }

    std::vector<wire::JSON_Heat> heats(int furnaceId = 1)
    {
        wire::DelaysRequestBody body{client().common(furnaceId), {"2000-01-01T00:00:00Z", true}};
        auto reply = client().call<wire::DelaysDownloaderResult>("Last24HoursDelays", body);
        EXPECT_TRUE(reply) << reply.error().description;
        if (!reply || !reply->resultInformation.success || !reply->data) {
            ADD_FAILURE() << "no heats";
            return {};
        }
        return *reply->data;
    }

    std::optional<wire::JSON_Heat> heat(int heatId, int furnaceId = 1)
    {
        for (auto& h : heats(furnaceId)) {
            if (h.heatId == heatId) {
                return h;
            }
        }
        return std::nullopt;
    }

    wire::SaveDelaysResult save(int heatId, std::vector<wire::JSON_Delay> delays, int furnaceId = 1)
    {
        wire::SaveDelaysRequestBody body{client().common(furnaceId), {heatId, std::move(delays)}};
        auto reply = client().call<wire::SaveDelaysResult>("SaveDelays", body);
        EXPECT_TRUE(reply) << reply.error().description;
        return reply ? *reply : wire::SaveDelaysResult{};
    }

    static int errorCode(const ResultInformation& info) { return info.error ? info.error->code : 0; }

    static int64_t seconds(const std::string& text)
    {
        auto parsed = ZonedDateTime::fromText(text);
        EXPECT_TRUE(parsed) << text;
        return parsed ? std::chrono::floor<std::chrono::seconds>(parsed->date).time_since_epoch().count() : 0;
    }

    static std::string text(int64_t epochSeconds)
    {
        return ZonedDateTime(Instant(std::chrono::seconds(epochSeconds)), TimeZone{-6 * 3600}).text();
    }

    static inline std::unique_ptr<ServiceProcess> s_service;
    std::unique_ptr<ServiceClient> m_client;
};

} // namespace orvendel::testing
