#include "core/service/wire/codec.hpp"

namespace orvendel::wire::detail {
namespace {

template <typename T>
void putIfPresent(Json& object, const char* key, const std::optional<T>& value)
{
    if (value) {
        object[key] = *value;
    }
}

} // namespace

bool read(Reader& r, Json& object, CommonData& out)
{
    return r.required(object, "username", out.username) && r.required(object, "sessionId", out.sessionId) &&
           r.required(object, "locale", out.locale) && r.optional(object, "furnaceId", out.furnaceId);
}

Json write(const CommonData& value)
{
    Json object = {{"username", value.username}, {"sessionId", value.sessionId}, {"locale", value.locale}};
    putIfPresent(object, "furnaceId", value.furnaceId);
    return object;
}

bool read(Reader& r, Json& object, ResultInformation& out)
{
    bool success = false;
    std::optional<std::string> message;
    std::optional<int> errorCode;
    std::optional<std::string> errorDescription;
    if (!r.required(object, "success", success) || !r.optional(object, "message", message) ||
        !r.optional(object, "errorCode", errorCode) || !r.optional(object, "errorDescription", errorDescription)) {
        return false;
    }
    // The service's "errorDomain" is not read: every error it reports is a server error.
    std::optional<std::string> description = errorDescription ? errorDescription : message;
    out = ResultInformation::make(success, std::move(message), std::string(server_error::domain), errorCode,
                                  std::move(description));
    return true;
}

bool readResultInformation(Reader& r, Json& root, ResultInformation& out)
{
    return readObjectMember(r, root, "resultInformation",
                            [&](Reader& reader, Json& object) { return read(reader, object, out); });
}

Json write(const ResultInformation& value)
{
    Json object = {{"success", value.success}};
    putIfPresent(object, "message", value.message);
    if (value.error) {
        object["errorCode"] = value.error->code;
        object["errorDescription"] = value.error->description;
    }
    return object;
}

bool read(Reader& r, Json& object, JSON_Delay& out, DelayForm form)
{
    if (form == DelayForm::reply) {
        int delayId = 0;
        if (!r.required(object, "delayId", delayId) ||
            !r.required(object, "reasonDescription", out.reasonDescription)) {
            return false;
        }
        out.delayId = delayId;
    } else if (!r.optional(object, "delayId", out.delayId)) {
        return false;
    }
    return r.required(object, "reasonId", out.reasonId) && r.required(object, "startDate", out.startDate) &&
           r.required(object, "endDate", out.endDate) && r.required(object, "timestamp", out.timestamp) &&
           r.optional(object, "comment", out.comment);
}

bool write(const JSON_Delay& value, DelayForm form, Json& out)
{
    out = Json::object();
    if (value.delayId) {
        out["delayId"] = *value.delayId;
    } else if (form == DelayForm::reply) {
        return false; // a reply delay without identifier would not read back
    } else {
        out["delayId"] = nullptr;
    }
    out["reasonId"] = value.reasonId;
    if (form == DelayForm::reply) {
        out["reasonDescription"] = value.reasonDescription;
    }
    out["startDate"] = value.startDate;
    out["endDate"] = value.endDate;
    out["timestamp"] = value.timestamp;
    putIfPresent(out, "comment", value.comment);
    return true;
}

bool read(Reader& r, Json& object, JSON_Heat& out)
{
    std::optional<int> furnaceId;
    if (!r.optional(object, "furnaceId", furnaceId) || !r.required(object, "heatId", out.heatId) ||
        !r.required(object, "heatNumber", out.heatNumber) || !r.required(object, "startDate", out.startDate) ||
        !r.required(object, "endDate", out.endDate)) {
        return false;
    }
    out.furnaceId = furnaceId.value_or(0);
    out.delays.reset();
    if (Json* delays = Reader::optionalMember(object, "delays")) {
        out.delays.emplace();
        return r.readArray(*delays, "delays", *out.delays, [](Reader& reader, Json& element, JSON_Delay& delay) {
            return reader.expectObject(element, nullptr) && read(reader, element, delay, DelayForm::reply);
        });
    }
    return true;
}

bool write(const JSON_Heat& value, Json& out)
{
    out = {{"furnaceId", value.furnaceId},
           {"heatId", value.heatId},
           {"heatNumber", value.heatNumber},
           {"startDate", value.startDate},
           {"endDate", value.endDate}};
    if (value.delays) {
        Json delays = Json::array();
        for (const JSON_Delay& delay : *value.delays) {
            Json element;
            if (!write(delay, DelayForm::reply, element)) {
                return false;
            }
            delays.push_back(std::move(element));
        }
        out["delays"] = std::move(delays);
    }
    return true;
}

bool read(Reader& r, Json& object, JSON_Reason& out, int depth)
{
    if (depth > maximumReasonDepth) {
        return r.fail(outOfRangeCode, nullptr, "reason tree nested too deeply");
    }
    std::optional<std::string> color;
    if (!r.optional(object, "delayReasonId", out.id) || !r.required(object, "delayCategoryId", out.categoryId) ||
        !r.required(object, "description", out.description) ||
        !r.required(object, "shortDescription", out.shortDescription) || !r.optional(object, "color", color)) {
        return false;
    }
    out.colorString = color ? std::move(*color) : std::string(defaultReasonColor);
    out.childReasons.reset();
    if (Json* children = Reader::optionalMember(object, "childReasons")) {
        out.childReasons.emplace();
        return r.readArray(*children, "childReasons", *out.childReasons,
                           [depth](Reader& reader, Json& element, JSON_Reason& child) {
                               return reader.expectObject(element, nullptr) && read(reader, element, child, depth + 1);
                           });
    }
    return true;
}

Json write(const JSON_Reason& value)
{
    Json object = {{"delayCategoryId", value.categoryId},
                   {"description", value.description},
                   {"shortDescription", value.shortDescription},
                   {"color", value.colorString}};
    putIfPresent(object, "delayReasonId", value.id);
    if (value.childReasons) {
        Json children = Json::array();
        for (const JSON_Reason& child : *value.childReasons) {
            children.push_back(write(child));
        }
        object["childReasons"] = std::move(children);
    }
    return object;
}

bool read(Reader& r, Json& object, JSON_Login& out)
{
    return r.required(object, "token", out.sessionId) && r.required(object, "startingFurnaceId", out.startingFurnaceId);
}

Json write(const JSON_Login& value)
{
    return {{"token", value.sessionId}, {"startingFurnaceId", value.startingFurnaceId}};
}

bool read(Reader& r, Json& object, Furnace& out)
{
    return r.required(object, "furnaceId", out.id) && r.required(object, "furnaceName", out.name) &&
           r.optional(object, "shortName", out.shortName) &&
           r.optional(object, "productionField", out.productionField) && r.optional(object, "dayStart", out.dayStart) &&
           r.optional(object, "mapId", out.mapId) && r.optional(object, "mapCoordX", out.mapCoordX) &&
           r.optional(object, "mapCoordY", out.mapCoordY) && r.optional(object, "furnaceType", out.type);
}

Json write(const Furnace& value)
{
    Json object = {{"furnaceId", value.id}, {"furnaceName", value.name}};
    putIfPresent(object, "shortName", value.shortName);
    putIfPresent(object, "productionField", value.productionField);
    putIfPresent(object, "dayStart", value.dayStart);
    putIfPresent(object, "mapId", value.mapId);
    putIfPresent(object, "mapCoordX", value.mapCoordX);
    putIfPresent(object, "mapCoordY", value.mapCoordY);
    putIfPresent(object, "furnaceType", value.type);
    return object;
}

bool read(Reader& r, Json& object, UpdatedDelay& out)
{
    return r.optional(object, "delayId", out.delayId) && r.optional(object, "reasonId", out.reasonId) &&
           r.optional(object, "furnaceId", out.furnaceId) && r.optional(object, "heatId", out.heatId) &&
           r.optional(object, "startDate", out.startDate) && r.optional(object, "endDate", out.endDate) &&
           r.optional(object, "color", out.color) && r.optional(object, "timeStamp", out.timeStamp) &&
           r.optional(object, "status", out.status);
}

Json write(const UpdatedDelay& value)
{
    Json object = Json::object();
    putIfPresent(object, "delayId", value.delayId);
    putIfPresent(object, "reasonId", value.reasonId);
    putIfPresent(object, "furnaceId", value.furnaceId);
    putIfPresent(object, "heatId", value.heatId);
    putIfPresent(object, "startDate", value.startDate);
    putIfPresent(object, "endDate", value.endDate);
    putIfPresent(object, "color", value.color);
    if (value.timeStamp) {
        object["timeStamp"] = static_cast<double>(*value.timeStamp); // exact, so any reader gets the same float
    }
    putIfPresent(object, "status", value.status);
    return object;
}

Result<std::string> dump(const Json& document)
{
    try {
        return document.dump();
    } catch (const Json::exception&) {
        // The library's message quotes the offending bytes, which may be a password.
        return Error{encodeErrorDomain, encode_error::notUTF8, "a text is not valid UTF-8"};
    }
}

} // namespace orvendel::wire::detail
