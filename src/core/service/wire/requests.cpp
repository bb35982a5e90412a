#include "core/service/wire/codec.hpp"

// Request bodies: "commonData" for the signed-in session, "data" for the message's own parameters.
namespace orvendel::wire {
namespace detail {
namespace {

bool readCommonData(Reader& r, Json& root, CommonData& out)
{
    return readObjectMember(r, root, "commonData",
                            [&](Reader& reader, Json& object) { return read(reader, object, out); });
}

template <typename ReadFields>
bool readData(Reader& r, Json& root, ReadFields&& readFields)
{
    return readObjectMember(r, root, "data", std::forward<ReadFields>(readFields));
}

} // namespace

bool readMessage(Reader& r, Json& root, LoginRequestBody& out)
{
    return readData(r, root, [&](Reader& reader, Json& data) {
        return reader.required(data, "username", out.data.username) &&
               reader.required(data, "password", out.data.password) &&
               reader.required(data, "systemRequesting", out.data.systemRequesting);
    });
}

bool readMessage(Reader& r, Json& root, FurnacesRequestBody& out)
{
    return readCommonData(r, root, out.commonData);
}

bool readMessage(Reader& r, Json& root, ReasonsRequestBody& out)
{
    return readCommonData(r, root, out.commonData);
}

bool readMessage(Reader& r, Json& root, DelaysRequestBody& out)
{
    return readCommonData(r, root, out.commonData) && readData(r, root, [&](Reader& reader, Json& data) {
               return reader.required(data, "requestDate", out.data.requestDate) &&
                      reader.required(data, "ignoreRequestDate", out.data.ignoreRequestDate);
           });
}

bool readMessage(Reader& r, Json& root, SaveDelaysRequestBody& out)
{
    return readCommonData(r, root, out.commonData) && readData(r, root, [&](Reader& reader, Json& data) {
               Json* delays = reader.requiredMember(data, "delays");
               return reader.required(data, "heatId", out.data.heatId) && delays &&
                      reader.readArray(*delays, "delays", out.data.delays,
                                       [](Reader& inner, Json& element, JSON_Delay& delay) {
                                           return inner.expectObject(element, nullptr) &&
                                                  read(inner, element, delay, DelayForm::request);
                                       });
           });
}

bool readMessage(Reader& r, Json& root, UpdatedDelaysRequestBody& out)
{
    const auto readCheck = [](Reader& reader, Json& element, std::map<std::string, int>& check) {
        if (!reader.expectObject(element, nullptr)) {
            return false;
        }
        for (auto& [key, value] : element.get_ref<Json::object_t&>()) {
            int number = 0;
            if (!reader.asInt(value, key.c_str(), number)) {
                return false;
            }
            check.emplace(key, number);
        }
        return true;
    };
    return readCommonData(r, root, out.commonData) && readData(r, root, [&](Reader& reader, Json& data) {
               Json* checks = reader.requiredMember(data, "delaysToCheck");
               return reader.required(data, "furnaceId", out.data.furnaceId) &&
                      reader.required(data, "heatId", out.data.heatId) && checks &&
                      reader.readArray(*checks, "delaysToCheck", out.data.delaysToCheck, readCheck);
           });
}

} // namespace detail

using detail::dump;
using detail::Json;
using detail::write;

Result<std::string> encode(const LoginRequestBody& body)
{
    return dump({{"data",
                  {{"username", body.data.username},
                   {"password", body.data.password},
                   {"systemRequesting", body.data.systemRequesting}}}});
}

Result<std::string> encode(const FurnacesRequestBody& body)
{
    return dump({{"commonData", write(body.commonData)}});
}

Result<std::string> encode(const ReasonsRequestBody& body)
{
    return dump({{"commonData", write(body.commonData)}});
}

Result<std::string> encode(const DelaysRequestBody& body)
{
    return dump(
        {{"commonData", write(body.commonData)},
         {"data", {{"requestDate", body.data.requestDate}, {"ignoreRequestDate", body.data.ignoreRequestDate}}}});
}

Result<std::string> encode(const SaveDelaysRequestBody& body)
{
    Json delays = Json::array();
    for (const JSON_Delay& delay : body.data.delays) {
        Json element;
        write(delay, detail::DelayForm::request, element); // the request form always has one
        delays.push_back(std::move(element));
    }
    return dump({{"commonData", write(body.commonData)},
                 {"data", {{"heatId", body.data.heatId}, {"delays", std::move(delays)}}}});
}

Result<std::string> encode(const UpdatedDelaysRequestBody& body)
{
    Json checks = Json::array();
    for (const auto& check : body.data.delaysToCheck) {
        checks.push_back(Json(check));
    }
    return dump(
        {{"commonData", write(body.commonData)},
         {"data",
          {{"furnaceId", body.data.furnaceId}, {"heatId", body.data.heatId}, {"delaysToCheck", std::move(checks)}}}});
}

} // namespace orvendel::wire
