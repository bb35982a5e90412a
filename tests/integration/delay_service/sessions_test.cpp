#include "service_fixture.hpp"

namespace orvendel::testing {
namespace {

using Json = nlohmann::json;

class SessionsTest : public DelayServiceTest {
protected:
    ResultInformation furnaces(const wire::CommonData& common)
    {
        auto reply = client().call<wire::FurnacesDownloaderResult>("FurnacesList", wire::FurnacesRequestBody{common});
        EXPECT_TRUE(reply) << reply.error().description;
        return reply ? reply->resultInformation : ResultInformation{};
    }
};

TEST_F(SessionsTest, EveryResourceButSignInNeedsTheUsersLiveSession)
{
    EXPECT_TRUE(furnaces(client().common()).success);

    auto unknown = client().common();
    unknown.sessionId = "0123456789abcdef0123456789abcdef";
    auto foreign = client().common();
    foreign.username = "ann";
    for (const auto& common : {unknown, foreign}) {
        const auto info = furnaces(common);
        EXPECT_FALSE(info.success);
        ASSERT_TRUE(info.error);
        EXPECT_EQ(info.error->domain, "ServerError");
        EXPECT_EQ(info.error->code, 3);
        EXPECT_EQ(info.error->description, "Session expired.");
    }
    // Names compare without case, as at sign-in.
    auto shouting = client().common();
    shouting.username = "DeMo";
    EXPECT_TRUE(furnaces(shouting).success);

    auto save =
        client().call<wire::SaveDelaysResult>("SaveDelays", wire::SaveDelaysRequestBody{unknown, {1000001, {}}});
    ASSERT_TRUE(save);
    EXPECT_EQ(errorCode(save->resultInformation), 3);
    auto updated = client().call<wire::UpdatedDelaysDownloaderResult>(
        "UpdatedDelays", wire::UpdatedDelaysRequestBody{unknown, {1, 1000001, {{{"delayId", 1}}}}});
    ASSERT_TRUE(updated);
    EXPECT_EQ(errorCode(updated->resultInformation), 3);
}

// The client sends names upper-cased with full Unicode mapping and without spaces; users added by hand are
// found under that same form.
TEST_F(SessionsTest, UsersAreFoundUnderTheNameTheClientSends)
{
    for (const std::string name : {"J\xC3\x9CRGEN", "j\xC3\xBCrgen", "J\xC3\xBCRGEN"}) {
        ServiceClient jurgen(service().port());
        ASSERT_TRUE(jurgen.signIn(name, "pw-j")) << name;
        auto common = jurgen.common();
        common.username = "J\xC3\x9CRGEN";
        EXPECT_TRUE(furnaces(common).success) << name;
    }
    ServiceClient spaced(service().port());
    ASSERT_TRUE(spaced.signIn("ABCD", "pw-ab"));
    EXPECT_TRUE(furnaces(spaced.common()).success);
}

TEST_F(SessionsTest, AdminExpiryEndsEverySessionAndSignInStartsANewOne)
{
    ServiceClient second(service().port());
    ASSERT_TRUE(second.signIn("ann", "s3cret-Pa55"));
    auto stats = Json::parse(client().stats().body);
    EXPECT_EQ(stats["activeSessions"], 2);

    const auto expired = client().expireSessions();
    ASSERT_EQ(expired.status, 200);
    EXPECT_EQ(Json::parse(expired.body)["expired"], 2);
    EXPECT_EQ(errorCode(furnaces(client().common())), 3);
    EXPECT_EQ(errorCode(furnaces(second.common())), 3);
    EXPECT_EQ(Json::parse(client().stats().body)["activeSessions"], 0);

    ASSERT_TRUE(client().signIn());
    EXPECT_TRUE(furnaces(client().common()).success);
}

TEST(SessionTtlTest, ASessionExpiresAfterItsTimeToLiveWithoutUse)
{
    ServiceProcess service({.extraArguments = {"--session-ttl", "60"}});
    ASSERT_TRUE(service.running()) << service.logText();
    ServiceClient client(service.port());
    ASSERT_TRUE(client.signIn());
    const auto furnacesCode = [&] {
        auto reply =
            client.call<wire::FurnacesDownloaderResult>("FurnacesList", wire::FurnacesRequestBody{client.common()});
        return reply && reply->resultInformation.error ? reply->resultInformation.error->code : 0;
    };

    // Each use restarts the time to live.
    ASSERT_EQ(client.advanceClock(std::chrono::seconds(45)).status, 200);
    EXPECT_EQ(furnacesCode(), 0);
    ASSERT_EQ(client.advanceClock(std::chrono::seconds(45)).status, 200);
    EXPECT_EQ(furnacesCode(), 0);

    ASSERT_EQ(client.advanceClock(std::chrono::seconds(61)).status, 200);
    EXPECT_EQ(furnacesCode(), 3);
    EXPECT_EQ(Json::parse(client.stats().body)["activeSessions"], 0);
}

TEST(SessionTtlTest, TheClockMovesOnlyForwardByWholeSeconds)
{
    ServiceProcess service;
    ASSERT_TRUE(service.running()) << service.logText();
    ServiceClient client(service.port());
    EXPECT_EQ(Json::parse(client.advanceClock(std::chrono::seconds(5)).body)["advanced"], 5);
    EXPECT_EQ(Json::parse(client.advanceClock(std::chrono::seconds(7)).body)["advanced"], 12);
    for (const char* body : {"{}", R"({"seconds":0})", R"({"seconds":-3})", R"({"seconds":1.5})", "[]", "x"}) {
        EXPECT_EQ(client.request("POST", "/_admin/advance-clock", body).status, 400) << body;
    }
    client.setAdminToken("not-the-token");
    EXPECT_EQ(client.advanceClock(std::chrono::seconds(5)).status, 403);
}

} // namespace
} // namespace orvendel::testing
