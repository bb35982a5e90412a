#include "service_fixture.hpp"

#include <regex>

namespace orvendel::testing {
namespace {

using Json = nlohmann::json;

// The sign-in's error code, 0 on success.
int signInCode(ServiceClient& client, const std::string& user, const std::string& password)
{
    wire::LoginRequestBody body;
    body.data = {user, password, "iOS"};
    auto reply = client.call<wire::LoginRequestResult>("Authenticate", body);
    EXPECT_TRUE(reply) << reply.error().description;
    if (!reply) {
        return -1;
    }
    const auto& info = reply->resultInformation;
    return info.success ? 0 : (info.error ? info.error->code : -1);
}

class SignInLimitsTest : public DelayServiceTest {};

TEST_F(SignInLimitsTest, FiveFailuresForANameRefuseItEvenWithTheRightPassword)
{
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(signInCode(client(), "ann", "guess-" + std::to_string(i)), 1);
    }
    wire::LoginRequestBody body;
    body.data = {"ANN", "s3cret-Pa55", "iOS"};
    auto refused = client().call<wire::LoginRequestResult>("Authenticate", body);
    ASSERT_TRUE(refused);
    ASSERT_TRUE(refused->resultInformation.error);
    EXPECT_EQ(refused->resultInformation.error->code, 13);
    EXPECT_TRUE(std::regex_match(refused->resultInformation.error->description,
                                 std::regex("Too many failed sign-in attempts\\. Try again in [1-9][0-9]* seconds\\.")))
        << refused->resultInformation.error->description;
    EXPECT_FALSE(refused->data);

    // Another name from the same machine is not held back, and a reset forgets the failures.
    EXPECT_EQ(signInCode(client(), "demo", "demo"), 0);
    ASSERT_EQ(client().reset().status, 200);
    EXPECT_EQ(signInCode(client(), "ann", "s3cret-Pa55"), 0);
}

TEST_F(SignInLimitsTest, GoodSignInsAreNeverCountedAgainstTheLimits)
{
    for (int i = 0; i < 25; ++i) {
        ASSERT_EQ(signInCode(client(), "demo", "demo"), 0) << i;
    }
    const auto stats = Json::parse(client().stats().body);
    EXPECT_EQ(stats["authentications"]["failed"], 0);
}

// Its own service with a small allowance; the window is long enough for any number of slow password
// checks and ends when the service's clock is moved past it.
TEST(SignInWindowTest, AnAddressIsLimitedAcrossNamesAndTheWindowSlides)
{
    constexpr auto window = std::chrono::seconds(3600);
    ServiceProcess service(
        {.extraArguments = {"--max-failed-sign-ins", "2", "--sign-in-window", std::to_string(window.count())}});
    ASSERT_TRUE(service.running()) << service.logText();
    ServiceClient client(service.port());
    // Four times the allowance of a name, spread over names that each stay within theirs.
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(signInCode(client, "user" + std::to_string(i), "wrong"), 1) << i;
    }
    EXPECT_EQ(signInCode(client, "demo", "demo"), 13);
    ASSERT_EQ(client.advanceClock(window - std::chrono::seconds(600)).status, 200);
    EXPECT_EQ(signInCode(client, "demo", "demo"), 13);
    ASSERT_EQ(client.advanceClock(std::chrono::seconds(601)).status, 200);
    EXPECT_EQ(signInCode(client, "demo", "demo"), 0);
}

} // namespace
} // namespace orvendel::testing
