#include "core/service/wire/codec.hpp"

// Replies: "resultInformation" always, "data" (missing or null alike) in all but the save reply.
namespace orvendel::wire {
namespace detail {
namespace {

template <typename T, typename ReadElement>
bool readDataArray(Reader& r, Json& root, std::optional<std::vector<T>>& out, ReadElement&& readElement)
{
    out.reset();
    Json* data = Reader::optionalMember(root, "data");
    if (!data) {
        return true;
    }
    out.emplace();
    return r.readArray(*data, "data", *out, [&](Reader& reader, Json& element, T& item) {
        return reader.expectObject(element, nullptr) && readElement(reader, element, item);
    });
}

} // namespace

bool readMessage(Reader& r, Json& root, LoginRequestResult& out)
{
    if (!readResultInformation(r, root, out.resultInformation)) {
        return false;
    }
    out.data.reset();
    if (!Reader::optionalMember(root, "data")) {
        return true;
    }
    JSON_Login login;
    if (!readObjectMember(r, root, "data", [&](Reader& reader, Json& data) { return read(reader, data, login); })) {
        return false;
    }
    out.data = std::move(login);
    return true;
}

bool readMessage(Reader& r, Json& root, FurnacesDownloaderResult& out)
{
    return readResultInformation(r, root, out.resultInformation) &&
           readDataArray(r, root, out.data,
                         [](Reader& reader, Json& element, Furnace& item) { return read(reader, element, item); });
}

bool readMessage(Reader& r, Json& root, ReasonsDownloaderResult& out)
{
    return readResultInformation(r, root, out.resultInformation) &&
           readDataArray(r, root, out.data, [](Reader& reader, Json& element, JSON_Reason& item) {
               return read(reader, element, item, 1);
           });
}

bool readMessage(Reader& r, Json& root, DelaysDownloaderResult& out)
{
    return readResultInformation(r, root, out.resultInformation) &&
           readDataArray(r, root, out.data,
                         [](Reader& reader, Json& element, JSON_Heat& item) { return read(reader, element, item); });
}

bool readMessage(Reader& r, Json& root, UpdatedDelaysDownloaderResult& out)
{
    return readResultInformation(r, root, out.resultInformation) &&
           readDataArray(r, root, out.data,
                         [](Reader& reader, Json& element, UpdatedDelay& item) { return read(reader, element, item); });
}

bool readMessage(Reader& r, Json& root, SaveDelaysResult& out)
{
    return readResultInformation(r, root, out.resultInformation);
}

} // namespace detail

using detail::dump;
using detail::Json;
using detail::write;

namespace {

template <typename T>
Json replyWithArray(const ResultInformation& info, const std::optional<std::vector<T>>& data)
{
    Json reply = {{"resultInformation", write(info)}};
    if (data) {
        Json items = Json::array();
        for (const T& item : *data) {
            items.push_back(write(item));
        }
        reply["data"] = std::move(items);
    }
    return reply;
}

} // namespace

Result<std::string> encode(const LoginRequestResult& reply)
{
    Json document = {{"resultInformation", write(reply.resultInformation)}};
    if (reply.data) {
        document["data"] = write(*reply.data);
    }
    return dump(document);
}

Result<std::string> encode(const FurnacesDownloaderResult& reply)
{
    return dump(replyWithArray(reply.resultInformation, reply.data));
}

Result<std::string> encode(const ReasonsDownloaderResult& reply)
{
    return dump(replyWithArray(reply.resultInformation, reply.data));
}

Result<std::string> encode(const DelaysDownloaderResult& reply)
{
    Json document = {{"resultInformation", write(reply.resultInformation)}};
    if (reply.data) {
        Json heats = Json::array();
        for (const JSON_Heat& heat : *reply.data) {
            Json element;
            if (!write(heat, element)) {
                return Error{encodeErrorDomain, encode_error::delayWithoutIdentifier,
                             "a delay in the reply has no identifier"};
            }
            heats.push_back(std::move(element));
        }
        document["data"] = std::move(heats);
    }
    return dump(document);
}

Result<std::string> encode(const UpdatedDelaysDownloaderResult& reply)
{
    return dump(replyWithArray(reply.resultInformation, reply.data));
}

Result<std::string> encode(const SaveDelaysResult& reply)
{
    return dump({{"resultInformation", write(reply.resultInformation)}});
}

} // namespace orvendel::wire
