#include "service_fixture.hpp"

namespace orvendel::testing {
namespace {

using Json = nlohmann::json;

class FaultsTest : public DelayServiceTest {
protected:
    HttpReply furnacesRaw()
    {
        return client().post("FurnacesList", *wire::encode(wire::FurnacesRequestBody{client().common()}));
    }
    bool furnacesWork()
    {
        auto reply = wire::decode<wire::FurnacesDownloaderResult>(furnacesRaw().body);
        return reply && reply->resultInformation.success;
    }
};

TEST_F(FaultsTest, EachFaultKindReachesTheClientOnceThenTheServiceAnswersAgain)
{
    ASSERT_EQ(client().addFault(R"({"resource": "FurnacesList", "kind": "http500-html"})").status, 200);
    auto html = furnacesRaw();
    EXPECT_EQ(html.status, 500);
    EXPECT_TRUE(html.contentType.starts_with("text/html"));
    EXPECT_FALSE(wire::decode<wire::FurnacesDownloaderResult>(html.body));
    EXPECT_TRUE(furnacesWork());

    ASSERT_EQ(client().addFault(R"({"resource": "FurnacesList", "kind": "empty-body"})").status, 200);
    auto empty = furnacesRaw();
    EXPECT_EQ(empty.status, 200);
    EXPECT_TRUE(empty.body.empty());
    EXPECT_TRUE(furnacesWork());

    ASSERT_EQ(client().addFault(R"({"resource": "FurnacesList", "kind": "truncated-json"})").status, 200);
    auto truncated = furnacesRaw();
    EXPECT_EQ(truncated.status, 200);
    EXPECT_FALSE(truncated.body.empty());
    EXPECT_TRUE(Json::parse(truncated.body, nullptr, false).is_discarded());
    EXPECT_TRUE(furnacesWork());

    ASSERT_EQ(client().addFault(R"({"resource": "FurnacesList", "kind": "reset"})").status, 200);
    auto reset = furnacesRaw();
    EXPECT_EQ(reset.status, 0);
    EXPECT_FALSE(reset.transportError.empty());
    EXPECT_TRUE(furnacesWork());

    ASSERT_EQ(client().addFault(R"({"resource": "FurnacesList", "kind": "delay", "ms": 200})").status, 200);
    EXPECT_TRUE(furnacesWork());
    EXPECT_NE(service().logText().find("FurnacesList user=DEMO status=200 fault=delay"), std::string::npos);

    ASSERT_EQ(client().addFault(R"({"resource": "FurnacesList", "kind": "expire-session"})").status, 200);
    auto expired = wire::decode<wire::FurnacesDownloaderResult>(furnacesRaw().body);
    ASSERT_TRUE(expired);
    EXPECT_EQ(errorCode(expired->resultInformation), 3);
    EXPECT_EQ(errorCode(wire::decode<wire::FurnacesDownloaderResult>(furnacesRaw().body)->resultInformation), 3);
    ASSERT_TRUE(client().signIn());
    EXPECT_TRUE(furnacesWork());
}

TEST_F(FaultsTest, RulesMatchTheirResourceAndAreUsedUpByCount)
{
    ASSERT_EQ(client()
                  .addFault(R"([{"resource": "SaveDelays", "kind": "empty-body"},
                                    {"kind": "http500-html", "count": 2}])")
                  .status,
              200);
    EXPECT_EQ(furnacesRaw().status, 500);
    EXPECT_EQ(client().post("ReasonsList", "{}").status, 500);
    EXPECT_TRUE(furnacesWork());
    const auto pending = Json::parse(client().request("GET", "/_admin/faults").body)["rules"];
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0]["resource"], "SaveDelays");
    EXPECT_TRUE(client().post("SaveDelays", "{}").body.empty());

    for (const auto* bad : {R"({"kind": "explode"})", R"({"resource": "Nowhere", "kind": "reset"})",
                            R"({"kind": "delay"})", R"({"kind": "reset", "count": 0})", "not json"}) {
        EXPECT_EQ(client().addFault(bad).status, 400) << bad;
    }
    EXPECT_TRUE(Json::parse(client().request("GET", "/_admin/faults").body)["rules"].empty());
}

TEST_F(FaultsTest, StatsCountRequestsAndSignInsAndResetClearsThem)
{
    ASSERT_FALSE(client().login("demo", "wrong"));
    furnacesRaw();
    furnacesRaw();
    const auto stats = Json::parse(client().stats().body);
    EXPECT_EQ(stats["requests"]["FurnacesList"], 2);
    EXPECT_EQ(stats["requests"]["Authenticate"], 2);
    EXPECT_EQ(stats["authentications"]["succeeded"], 1);
    EXPECT_EQ(stats["authentications"]["failed"], 1);
    EXPECT_EQ(stats["activeSessions"], 1);

    ASSERT_EQ(client().reset().status, 200);
    const auto cleared = Json::parse(client().stats().body);
    EXPECT_EQ(cleared["requests"]["FurnacesList"], 0);
    EXPECT_EQ(cleared["activeSessions"], 0);
}

TEST_F(FaultsTest, RequestLogNamesResourceUserAndStatusButNeverSecrets)
{
    ServiceClient ann(service().port());
    ASSERT_TRUE(ann.signIn("ann", "s3cret-Pa55"));
    EXPECT_TRUE(ann.call<wire::ReasonsDownloaderResult>("ReasonsList", wire::ReasonsRequestBody{ann.common(2)}));
    const auto log = service().logText();
    EXPECT_NE(log.find("Authenticate user=ANN status=200"), std::string::npos);
    EXPECT_NE(log.find("ReasonsList user=ANN status=200"), std::string::npos);
    EXPECT_EQ(log.find("s3cret"), std::string::npos);
    EXPECT_EQ(log.find(ann.sessionId()), std::string::npos);
    EXPECT_EQ(log.find(client().sessionId()), std::string::npos);
}

TEST(DelayServiceProcessTest, AdminNeedsTheOptionAndTermStopsCleanly)
{
    ServiceProcess service({.enableAdmin = false});
    ASSERT_TRUE(service.running()) << service.logText();
    ServiceClient client(service.port());
    EXPECT_EQ(client.addFault(R"({"kind": "reset"})").status, 404);
    EXPECT_EQ(client.stats().status, 404);
    EXPECT_TRUE(client.signIn());
    EXPECT_EQ(service.stop(), 0);
    EXPECT_NE(service.logText().find("Delay service: stopped"), std::string::npos);
}

TEST_F(FaultsTest, AdminCallsNeedTheTokenGivenAtStart)
{
    ServiceClient stranger(service().port());
    for (const std::string token : {"", "orvendel-test-admiN", "orvendel-test-admin-and-more"}) {
        stranger.setAdminToken(token);
        const auto refused = stranger.addFault(R"({"kind": "reset"})");
        EXPECT_EQ(refused.status, 403) << token;
        EXPECT_EQ(Json::parse(refused.body)["error"], "admin calls need the service's X-Admin-Token");
        EXPECT_EQ(stranger.reset().status, 403);
    }
    EXPECT_TRUE(Json::parse(client().request("GET", "/_admin/faults").body)["rules"].empty());
    EXPECT_EQ(client().stats().status, 200);
}

TEST(DelayServiceProcessTest, AdminIsNotEnabledWithoutAToken)
{
    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{"--enable-admin"}, {"--admin-token", "short"}}) {
        ServiceProcess service({.enableAdmin = false, .extraArguments = arguments});
        EXPECT_FALSE(service.running()) << arguments[0];
        EXPECT_NE(service.logText().find("--admin-token"), std::string::npos) << service.logText();
    }
}

TEST(DelayServiceProcessTest, BadOptionsStopWithAMessage)
{
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"--session-ttl", "0"},
                                                                       {"--utc-offset", "-25:00"},
                                                                       {"--add-user", "nopassword"},
                                                                       {"--frobnicate"},
                                                                       {"--request-deadline", "0"},
                                                                       {"--max-client-connections", "x"},
                                                                       {"--sign-in-window", "-1"}}) {
        ServiceProcess service({.extraArguments = arguments});
        EXPECT_FALSE(service.running()) << arguments[0];
        EXPECT_NE(service.logText().find(arguments[0]), std::string::npos) << service.logText();
    }
}

} // namespace
} // namespace orvendel::testing
