#include "comment_check.hpp"
#include "plant_store.hpp"
#include "reply_helpers.hpp"
#include "resource_admission.hpp"
#include "resources.hpp"
#include "user_store.hpp"

namespace orvendel::delay_service {

using namespace detail;

namespace {

constexpr int64_t dayInSeconds = 24 * 3600;

std::optional<int64_t> epochSeconds(const std::string& text)
{
    auto parsed = ZonedDateTime::fromText(text);
    if (!parsed) {
        return std::nullopt;
    }
    return std::chrono::floor<std::chrono::seconds>(parsed->date).time_since_epoch().count();
}

} // namespace

ResourceReply DelayResources::last24HoursDelays(std::string_view body, bool expireFirst)
{
    using Reply = wire::DelaysDownloaderResult;
    auto admission = admit<wire::DelaysRequestBody, Reply>(body, "Last24HoursDelays", expireFirst, true);
    if (!admission.request) {
        return admission.refusal;
    }
    const auto& request = *admission.request;
    const auto& common = request.commonData;
    const std::string& user = admission.user;
    const int64_t now = m_now();
    int64_t until = now;
    if (!request.data.ignoreRequestDate) {
        auto requested = epochSeconds(request.data.requestDate);
        if (!requested) {
            return failureReply<Reply>(error_code::malformedRequest,
                                       withText(error_text::malformedRequest, "Last24HoursDelays"), user);
        }
        until = *requested;
    }
    m_plant.extendTo(now);
    std::vector<wire::JSON_Heat> heats;
    for (const auto& stored : m_plant.heatsEndedBetween(*common.furnaceId, until - dayInSeconds, until)) {
        wire::JSON_Heat heat;
        heat.furnaceId = stored.furnaceId;
        heat.heatId = stored.heatId;
        heat.heatNumber = stored.heatNumber;
        heat.startDate = dateText(stored.start);
        heat.endDate = dateText(stored.end);
        std::vector<wire::JSON_Delay> delays;
        for (const auto& d : stored.delays) {
            wire::JSON_Delay delay;
            delay.delayId = d.delayId;
            delay.reasonId = d.reasonId;
            delay.reasonDescription = d.reasonDescription;
            delay.startDate = dateText(d.start);
            delay.endDate = dateText(d.end);
            delay.timestamp = PlantStore::timestampText(d.version);
            delay.comment = d.comment;
            delays.push_back(std::move(delay));
        }
        heat.delays = std::move(delays);
        heats.push_back(std::move(heat));
    }
    Reply reply;
    reply.resultInformation = successInformation();
    reply.data = std::move(heats);
    return ResourceReply{encodeOrFail(reply), user, 0};
}

ResourceReply DelayResources::saveDelays(std::string_view body, bool expireFirst)
{
    using Reply = wire::SaveDelaysResult;
    auto admission = admit<wire::SaveDelaysRequestBody, Reply>(body, "SaveDelays", expireFirst, true);
    if (!admission.request) {
        return admission.refusal;
    }
    const auto& request = *admission.request;
    const auto& common = request.commonData;
    const std::string& user = admission.user;
    std::vector<DelayChange> changes;
    for (const auto& delay : request.data.delays) {
        auto start = epochSeconds(delay.startDate);
        auto end = epochSeconds(delay.endDate);
        if (!start || !end) {
            return failureReply<Reply>(error_code::malformedRequest,
                                       withText(error_text::malformedRequest, "SaveDelays"), user);
        }
        if (delay.comment && !isAcceptableComment(*delay.comment)) {
            return failureReply<Reply>(error_code::invalidComment, error_text::invalidComment, user);
        }
        changes.push_back({delay.delayId, delay.reasonId, *start, *end, delay.comment, delay.timestamp});
    }
    m_plant.extendTo(m_now());
    const auto outcome = m_plant.saveDelays(*common.furnaceId, request.data.heatId, changes);
    if (!outcome.ok()) {
        return failureReply<Reply>(outcome.errorCode, outcome.description, user);
    }
    Reply reply;
    reply.resultInformation = successInformation();
    return ResourceReply{encodeOrFail(reply), user, 0};
}

ResourceReply DelayResources::updatedDelays(std::string_view body, bool expireFirst)
{
    using Reply = wire::UpdatedDelaysDownloaderResult;
    auto admission = admit<wire::UpdatedDelaysRequestBody, Reply>(body, "UpdatedDelays", expireFirst, false);
    if (!admission.request) {
        return admission.refusal;
    }
    const auto& request = *admission.request;
    const std::string& user = admission.user;
    const auto& data = request.data;
    if (!m_plant.furnaceExists(data.furnaceId)) {
        return failureReply<Reply>(error_code::unknownFurnace, error_text::unknownFurnace, user);
    }
    std::vector<UpdatedDelay> statuses;
    for (const auto& check : data.delaysToCheck) {
        auto id = check.find("delayId");
        if (id == check.end()) {
            return failureReply<Reply>(error_code::malformedRequest,
                                       withText(error_text::malformedRequest, "UpdatedDelays"), user);
        }
        UpdatedDelay status;
        status.delayId = id->second;
        status.furnaceId = data.furnaceId;
        status.heatId = data.heatId;
        const auto stored = m_plant.delay(id->second);
        if (!stored || stored->heatId != data.heatId) {
            status.status = "deleted";
            statuses.push_back(std::move(status));
            continue;
        }
        // Against the caller's version when it gives one, else against the version the delay was made with.
        auto known = check.find("timeStamp");
        const bool changed =
            known != check.end() ? known->second != stored->version : stored->version != stored->originalVersion;
        status.reasonId = stored->reasonId;
        status.startDate = dateText(stored->start);
        status.endDate = dateText(stored->end);
        status.color = stored->reasonColor.value_or(wire::defaultReasonColor);
        status.timeStamp = static_cast<float>(stored->version);
        status.status = changed ? "changed" : "unchanged";
        statuses.push_back(std::move(status));
    }
    Reply reply;
    reply.resultInformation = successInformation();
    reply.data = std::move(statuses);
    return ResourceReply{encodeOrFail(reply), user, 0};
}

} // namespace orvendel::delay_service
