#include "resources.hpp"

#include "resource_admission.hpp"

#include "json_limits.hpp"
#include "plant_store.hpp"
#include "reply_helpers.hpp"
#include "service_stats.hpp"
#include "session_store.hpp"
#include "sign_in_throttle.hpp"
#include "user_store.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace orvendel::delay_service {

using namespace detail;

DelayResources::DelayResources(PlantStore& plant, UserStore& users, SessionStore& sessions, SignInThrottle& throttle,
                               ServiceStats& stats, TimeZone zone, EpochClock now)
    : m_plant(plant), m_users(users), m_sessions(sessions), m_throttle(throttle), m_stats(stats), m_zone(zone),
      m_now(std::move(now))
{}

const std::vector<std::string>& DelayResources::names()
{
    static const std::vector<std::string> list = {"Authenticate",      "FurnacesList", "ReasonsList",
                                                  "Last24HoursDelays", "SaveDelays",   "UpdatedDelays"};
    return list;
}

bool DelayResources::isResource(std::string_view name)
{
    const auto& list = names();
    return std::find(list.begin(), list.end(), name) != list.end();
}

std::string DelayResources::dateText(int64_t seconds) const
{
    return ZonedDateTime(Instant(std::chrono::seconds(seconds)), m_zone).text();
}

ResourceReply DelayResources::handle(const std::string& resource, std::string_view body,
                                     const std::string& clientAddress, bool expireSessionFirst)
{
    // A body nested deeper than any message reads as no body at all: refused as malformed, unparsed.
    if (!withinNestingLimit(body)) {
        body = {};
    }
    if (resource == "Authenticate") {
        return authenticate(body, clientAddress);
    }
    if (resource == "FurnacesList") {
        return furnacesList(body, expireSessionFirst);
    }
    if (resource == "ReasonsList") {
        return reasonsList(body, expireSessionFirst);
    }
    if (resource == "Last24HoursDelays") {
        return last24HoursDelays(body, expireSessionFirst);
    }
    if (resource == "SaveDelays") {
        return saveDelays(body, expireSessionFirst);
    }
    return updatedDelays(body, expireSessionFirst);
}

int DelayResources::checkSession(const std::string& username, const std::string& token, bool expireFirst)
{
    if (expireFirst) {
        m_sessions.expire(token);
    }
    return m_sessions.validate(UserStore::normalizedName(username), token) ? 0 : error_code::sessionExpired;
}

ResourceReply DelayResources::authenticate(std::string_view body, const std::string& clientAddress)
{
    auto request = wire::decode<wire::LoginRequestBody>(body);
    if (!request) {
        return malformedReply<wire::LoginRequestResult>("Authenticate");
    }
    const std::string user = UserStore::normalizedName(request->data.username);
    const int wait = m_throttle.secondsUntilAllowed(user, clientAddress);
    // The password is checked even when the attempt is refused, so a refusal takes as long as a judgement
    // and its timing tells nothing; its outcome is thrown away.
    const auto furnace = m_users.authenticate(user, request->data.password);
    if (wait > 0) {
        m_stats.countAuthentication(false);
        return failureReply<wire::LoginRequestResult>(error_code::tooManySignInFailures,
                                                      withNumber(error_text::tooManySignInFailures, wait), user);
    }
    m_stats.countAuthentication(furnace.has_value());
    if (!furnace) {
        m_throttle.recordFailure(user, clientAddress);
        return failureReply<wire::LoginRequestResult>(error_code::invalidCredentials, error_text::invalidCredentials,
                                                      user);
    }
    auto token = m_sessions.create(user);
    if (!token) {
        return failureReply<wire::LoginRequestResult>(error_code::internalFailure, error_text::internalFailure, user);
    }
    wire::LoginRequestResult reply;
    reply.resultInformation = successInformation();
    reply.data = wire::JSON_Login{std::move(*token), *furnace};
    return ResourceReply{encodeOrFail(reply), user, 0};
}

ResourceReply DelayResources::furnacesList(std::string_view body, bool expireFirst)
{
    using Reply = wire::FurnacesDownloaderResult;
    auto admission = admit<wire::FurnacesRequestBody, Reply>(body, "FurnacesList", expireFirst, false);
    if (!admission.request) {
        return admission.refusal;
    }
    Reply reply;
    reply.resultInformation = successInformation();
    reply.data = m_plant.furnaces();
    return ResourceReply{encodeOrFail(reply), admission.user, 0};
}

ResourceReply DelayResources::reasonsList(std::string_view body, bool expireFirst)
{
    using Reply = wire::ReasonsDownloaderResult;
    auto admission = admit<wire::ReasonsRequestBody, Reply>(body, "ReasonsList", expireFirst, true);
    if (!admission.request) {
        return admission.refusal;
    }
    const auto& request = *admission.request;
    const auto& common = request.commonData;
    const std::string& user = admission.user;
    // Rebuild the tree from its pre-order rows: a parent always comes before its children.
    const auto rows = m_plant.reasonTree(*common.furnaceId);
    std::vector<wire::JSON_Reason> top;
    std::vector<int> colourless;
    std::function<void(std::vector<wire::JSON_Reason>&, std::optional<int>, std::size_t&)> build =
        [&](std::vector<wire::JSON_Reason>& into, std::optional<int> parent, std::size_t& index) {
            while (index < rows.size() && rows[index].parentCategoryId == parent) {
                const auto& row = rows[index++];
                wire::JSON_Reason node;
                node.id = row.reasonId;
                node.categoryId = row.categoryId;
                node.description = row.description;
                node.shortDescription = row.shortDescription;
                if (row.color) {
                    node.colorString = *row.color;
                } else {
                    colourless.push_back(row.categoryId);
                }
                std::vector<wire::JSON_Reason> children;
                build(children, row.categoryId, index);
                if (!children.empty()) {
                    node.childReasons = std::move(children);
                }
                into.push_back(std::move(node));
            }
        };
    std::size_t index = 0;
    build(top, std::nullopt, index);
    Reply reply;
    reply.resultInformation = successInformation();
    reply.data = std::move(top);
    auto encoded = wire::encode(reply);
    if (!encoded) {
        return failureReply<Reply>(error_code::internalFailure, error_text::internalFailure, user);
    }
    // The record always carries a colour; nodes stored without one leave the key out on the wire.
    auto json = nlohmann::json::parse(*encoded);
    std::function<void(nlohmann::json&)> strip = [&](nlohmann::json& nodes) {
        for (auto& node : nodes) {
            const int category = node.at("delayCategoryId").get<int>();
            if (std::find(colourless.begin(), colourless.end(), category) != colourless.end()) {
                node.erase("color");
            }
            if (node.contains("childReasons")) {
                strip(node["childReasons"]);
            }
        }
    };
    strip(json["data"]);
    return ResourceReply{json.dump(), user, 0};
}

} // namespace orvendel::delay_service
