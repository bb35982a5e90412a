#pragma once

#include "plant_store.hpp"
#include "reply_helpers.hpp"
#include "resources.hpp"
#include "user_store.hpp"

namespace orvendel::delay_service {

// Every resource but "Authenticate" starts the same way: decode the body, check the session, and for most
// check the furnace.
template <typename Request, typename Reply>
DelayResources::Admission<Request> DelayResources::admit(std::string_view body, std::string_view resource,
                                                         bool expireFirst, bool requireFurnace)
{
    using namespace detail;
    Admission<Request> admission;
    auto decoded = wire::decode<Request>(body);
    if (!decoded) {
        admission.refusal = malformedReply<Reply>(resource);
        return admission;
    }
    const auto& common = decoded->commonData;
    admission.user = UserStore::normalizedName(common.username);
    if (int code = checkSession(common.username, common.sessionId, expireFirst)) {
        admission.refusal = failureReply<Reply>(code, error_text::sessionExpired, admission.user);
        return admission;
    }
    if (requireFurnace && (!common.furnaceId || !m_plant.furnaceExists(*common.furnaceId))) {
        admission.refusal = failureReply<Reply>(error_code::unknownFurnace, error_text::unknownFurnace, admission.user);
        return admission;
    }
    admission.request = std::move(*decoded);
    return admission;
}

} // namespace orvendel::delay_service
