#include "service_fixture.hpp"

#include <regex>
#include <set>

namespace orvendel::testing {
namespace {

using Json = nlohmann::json;

class ResourcesTest : public DelayServiceTest {};

TEST_F(ResourcesTest, SignInChecksTheUpperCasedNameAndThePassword)
{
    auto upper = client().login("DEMO", "demo");
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->startingFurnaceId, 1);
    EXPECT_TRUE(std::regex_match(upper->sessionId, std::regex("[0-9a-f]{32}")));
    auto ann = client().login("Ann", "s3cret-Pa55");
    ASSERT_TRUE(ann);
    EXPECT_EQ(ann->startingFurnaceId, 2);
    EXPECT_NE(ann->sessionId, upper->sessionId);

    for (auto [user, password] : {std::pair{"demo", "Demo"}, {"nobody", "demo"}, {"ann", ""}}) {
        wire::LoginRequestBody body;
        body.data = {user, password, "iOS"};
        auto reply = client().call<wire::LoginRequestResult>("Authenticate", body);
        ASSERT_TRUE(reply) << reply.error().description;
        EXPECT_FALSE(reply->resultInformation.success);
        EXPECT_FALSE(reply->data);
        ASSERT_TRUE(reply->resultInformation.error);
        EXPECT_EQ(reply->resultInformation.error->code, 1);
        EXPECT_EQ(reply->resultInformation.error->description, "Invalid user name or password.");
    }
}

TEST_F(ResourcesTest, FurnaceListHasAHiddenFurnaceAndOptionalFieldsOnSomeOnly)
{
    const auto raw = client().post("FurnacesList", *wire::encode(wire::FurnacesRequestBody{client().common({})}));
    auto reply = wire::decode<wire::FurnacesDownloaderResult>(raw.body);
    ASSERT_TRUE(reply) << reply.error().description;
    ASSERT_TRUE(reply->data);
    const auto& furnaces = *reply->data;
    ASSERT_EQ(furnaces.size(), 4u);
    EXPECT_EQ(std::count_if(furnaces.begin(), furnaces.end(), [](auto& f) { return f.name.starts_with("--"); }), 1);
    const Json json = Json::parse(raw.body);
    std::set<std::size_t> keyCounts;
    for (const auto& furnace : json["data"]) {
        keyCounts.insert(furnace.size());
    }
    EXPECT_GE(keyCounts.size(), 3u) << "optional fields should be present on some furnaces, absent on others";
}

TEST_F(ResourcesTest, ReasonTreeHasThreeLevelsUnclassifiedAndSomeNodesWithoutColour)
{
    const auto raw = client().post("ReasonsList", *wire::encode(wire::ReasonsRequestBody{client().common(1)}));
    auto reply = wire::decode<wire::ReasonsDownloaderResult>(raw.body);
    ASSERT_TRUE(reply) << reply.error().description;
    ASSERT_TRUE(reply->data);

    int reasons = 0;
    int maximumDepth = 0;
    bool unclassified = false;
    std::set<int> ids;
    std::function<void(const std::vector<wire::JSON_Reason>&, int)> walk = [&](const auto& nodes, int depth) {
        maximumDepth = std::max(maximumDepth, depth);
        for (const auto& node : nodes) {
            if (node.id) {
                EXPECT_TRUE(ids.insert(*node.id).second) << "duplicate reason " << *node.id;
                if (*node.id == 0) {
                    unclassified = node.description == "Unclassified";
                } else {
                    ++reasons;
                    EXPECT_EQ(depth, 3);
                }
            }
            if (node.childReasons) {
                walk(*node.childReasons, depth + 1);
            }
        }
    };
    walk(*reply->data, 1);
    EXPECT_TRUE(unclassified);
    EXPECT_EQ(maximumDepth, 3);
    EXPECT_GE(reasons, 60);
    EXPECT_LE(reasons, 120);

    int withoutColour = 0;
    const std::regex rgb(R"(rgb\(\d{1,3}, \d{1,3}, \d{1,3}\))");
    std::function<void(const Json&)> check = [&](const Json& nodes) {
        for (const auto& node : nodes) {
            if (node.contains("color")) {
                EXPECT_TRUE(std::regex_match(node["color"].get<std::string>(), rgb)) << node["color"];
            } else {
                ++withoutColour;
            }
            if (node.contains("childReasons")) {
                check(node["childReasons"]);
            }
        }
    };
    check(Json::parse(raw.body)["data"]);
    EXPECT_GE(withoutColour, 1);
}

TEST_F(ResourcesTest, LastDayHoldsEndedHeatsWithDelaysInsideThemInThePlantZone)
{
    const auto now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    const auto list = heats(1);
    ASSERT_GE(list.size(), 20u);
    int delays = 0;
    int unclassified = 0;
    int commented = 0;
    for (const auto& heat : list) {
        EXPECT_EQ(heat.furnaceId, 1);
        EXPECT_TRUE(heat.startDate.ends_with("-06:00")) << heat.startDate;
        const auto start = seconds(heat.startDate);
        const auto end = seconds(heat.endDate);
        EXPECT_GE(end - start, 50 * 60);
        EXPECT_LE(end - start, 65 * 60);
        // The service and the test share the clock; a minute of slack covers the time between them.
        EXPECT_LE(end, now + 60);
        EXPECT_GT(end, now - 24 * 3600 - 60);
        ASSERT_TRUE(heat.delays);
        EXPECT_GE(heat.delays->size(), 4u);
        EXPECT_LE(heat.delays->size(), 12u);
        int64_t previousEnd = start;
        for (const auto& delay : *heat.delays) {
            const auto delayStart = seconds(delay.startDate);
            const auto delayEnd = seconds(delay.endDate);
            EXPECT_GE(delayStart, previousEnd) << "delays overlap or leave their heat";
            EXPECT_GE(delayEnd - delayStart, 20);
            EXPECT_LE(delayEnd - delayStart, 40 * 60);
            EXPECT_FALSE(delay.reasonDescription.empty());
            EXPECT_FALSE(delay.timestamp.empty());
            previousEnd = delayEnd;
            ++delays;
            unclassified += delay.reasonId == 0 ? 1 : 0;
            commented += delay.comment ? 1 : 0;
        }
        EXPECT_LE(previousEnd, end);
    }
    EXPECT_GT(unclassified, delays / 10);
    EXPECT_LT(unclassified, delays / 2);
    EXPECT_GT(commented, 0);
}

TEST_F(ResourcesTest, RequestDateMovesTheWindowUnlessIgnored)
{
    const auto current = heats(2);
    ASSERT_FALSE(current.empty());
    const auto windowEnd = seconds(current.front().endDate) - 1;

    wire::DelaysRequestBody body{client().common(2), {text(windowEnd), false}};
    auto earlier = client().call<wire::DelaysDownloaderResult>("Last24HoursDelays", body);
    ASSERT_TRUE(earlier && earlier->data);
    ASSERT_FALSE(earlier->data->empty());
    EXPECT_LE(seconds(earlier->data->back().endDate), windowEnd);
    EXPECT_LT(earlier->data->front().heatId, current.front().heatId);

    body.data.requestDate = "yesterday";
    auto refused = client().call<wire::DelaysDownloaderResult>("Last24HoursDelays", body);
    ASSERT_TRUE(refused);
    EXPECT_EQ(errorCode(refused->resultInformation), 2);
    body.data.ignoreRequestDate = true;
    auto ignored = client().call<wire::DelaysDownloaderResult>("Last24HoursDelays", body);
    ASSERT_TRUE(ignored && ignored->resultInformation.success);
}

TEST_F(ResourcesTest, FurnaceIsRequiredAndMustExist)
{
    for (std::optional<int> furnace : {std::optional<int>{}, std::optional<int>{99}}) {
        auto reasons = client().call<wire::ReasonsDownloaderResult>("ReasonsList",
                                                                    wire::ReasonsRequestBody{client().common(furnace)});
        ASSERT_TRUE(reasons);
        EXPECT_EQ(errorCode(reasons->resultInformation), 4);
        auto delays = client().call<wire::DelaysDownloaderResult>(
            "Last24HoursDelays", wire::DelaysRequestBody{client().common(furnace), {"", true}});
        ASSERT_TRUE(delays);
        EXPECT_EQ(errorCode(delays->resultInformation), 4);
    }
    // The hidden furnace is hidden by clients only; the service serves it.
    EXPECT_FALSE(heats(4).empty());
}

TEST_F(ResourcesTest, WrongMethodUnknownPathAndMalformedBodiesAreAnswered)
{
    EXPECT_EQ(client().request("GET", "/DelaysApi/Delays/FurnacesList").status, 405);
    EXPECT_EQ(client().request("PUT", "/DelaysApi/Delays/SaveDelays", "{}").status, 405);
    EXPECT_EQ(client().post("NoSuchResource", "{}").status, 404);
    EXPECT_EQ(client().request("POST", "/DelaysApi/Other", "{}").status, 404);

    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::vector<std::string> bodies = {
        "",
        "garbage",
        "{}",
        "[]",
        "null",
        R"({"commonData": 5})",
        R"({"commonData": {"username": "demo", "sessionId": 1, "locale": "en"}})",
        R"({"data": {"username": "demo", "password": "demo", "systemRequesting": "iOS"})",
        R"({"commonData": {"username": "demo", "sessionId": "x", "locale": "en", "furnaceId": 1.5}})",
        "\xff\xfe{\"data\": 1}",
        deep,
    };
    for (const auto& resource :
         {"Authenticate", "FurnacesList", "ReasonsList", "Last24HoursDelays", "SaveDelays", "UpdatedDelays"}) {
        for (const auto& body : bodies) {
            const auto reply = client().post(resource, body);
            ASSERT_EQ(reply.status, 200) << resource << " " << body.substr(0, 40) << reply.transportError;
            const Json json = Json::parse(reply.body, nullptr, false);
            ASSERT_FALSE(json.is_discarded()) << reply.body;
            EXPECT_FALSE(json["resultInformation"]["success"].get<bool>()) << resource << " " << body.substr(0, 40);
            EXPECT_TRUE(json["resultInformation"]["errorCode"].is_number_integer());
        }
    }
    // An oversized body is refused at the door, and the service goes on answering.
    EXPECT_EQ(client().post("SaveDelays", std::string(5 * 1024 * 1024, ' ')).status, 413);
    EXPECT_TRUE(client().login("demo", "demo"));
}

TEST_F(ResourcesTest, SameSeedGivesTheSamePlantAndAnotherSeedAnother)
{
    const auto reasonsOf = [](ServiceProcess& process) {
        ServiceClient other(process.port());
        EXPECT_TRUE(other.signIn());
        return other.post("ReasonsList", *wire::encode(wire::ReasonsRequestBody{other.common(3)})).body;
    };
    ServiceProcess same({.seed = 42});
    ServiceProcess different({.seed = 43});
    ASSERT_TRUE(same.running() && different.running());
    EXPECT_EQ(reasonsOf(same), reasonsOf(service()));
    EXPECT_NE(reasonsOf(different), reasonsOf(service()));
}

} // namespace
} // namespace orvendel::testing
