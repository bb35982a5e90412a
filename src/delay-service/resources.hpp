#pragma once

#include "core/model/zoned_date_time.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvendel::delay_service {

class PlantStore;
class UserStore;
class SessionStore;
class ServiceStats;
class SignInThrottle;

// What a resource answered, with what the request log needs (never a password or a token).
struct ResourceReply {
    std::string body;
    std::string user = "-";
    int errorCode = 0;
};

// The six resources under "/DelaysApi/Delays": each takes the request body and gives the reply body.
// Thread contract: any thread, concurrently; state lives in the stores.
class DelayResources {
public:
    using EpochClock = std::function<int64_t()>; // seconds since the epoch

    DelayResources(PlantStore& plant, UserStore& users, SessionStore& sessions, SignInThrottle& throttle,
                   ServiceStats& stats, TimeZone zone, EpochClock now);

    static const std::vector<std::string>& names();
    static bool isResource(std::string_view name);

    // `clientAddress` is the peer's address, for sign-in throttling. `expireSessionFirst` ends the request's
    // session before it is checked (fault injection).
    ResourceReply handle(const std::string& resource, std::string_view body, const std::string& clientAddress,
                         bool expireSessionFirst = false);

    int64_t now() const { return m_now(); }
    std::string dateText(int64_t seconds) const;

private:
    struct Session; // the checked commonData

    ResourceReply authenticate(std::string_view body, const std::string& clientAddress);
    ResourceReply furnacesList(std::string_view body, bool expireFirst);
    ResourceReply reasonsList(std::string_view body, bool expireFirst);
    ResourceReply last24HoursDelays(std::string_view body, bool expireFirst);
    ResourceReply saveDelays(std::string_view body, bool expireFirst);
    ResourceReply updatedDelays(std::string_view body, bool expireFirst);

    // A decoded request whose session is live, with its normalised user; or the reply that refuses it
    // (malformed body, expired session, or — when `requireFurnace` — an unknown "furnaceId").
    template <typename Request>
    struct Admission {
        std::optional<Request> request;
        std::string user = "-";
        ResourceReply refusal;
    };
    template <typename Request, typename Reply>
    Admission<Request> admit(std::string_view body, std::string_view resource, bool expireFirst, bool requireFurnace);

    // The error code when the session is not live, else 0; expires it first when asked.
    int checkSession(const std::string& username, const std::string& token, bool expireFirst);

    PlantStore& m_plant;
    UserStore& m_users;
    SessionStore& m_sessions;
    SignInThrottle& m_throttle;
    ServiceStats& m_stats;
    TimeZone m_zone;
    EpochClock m_now;
};

} // namespace orvendel::delay_service
