#pragma once

#include "core/service/wire/json_reader.hpp"

#include <optional>
#include <string>

// Reading and writing of the records and messages, shared by the wire library's .cpp files.
namespace orvendel::wire::detail {

// A delay travels in two forms: in a save body (identifier may be null, no reason text) and in the
// last-24-hours reply (identifier and reason text required).
enum class DelayForm { request, reply };

// Reason trees are read recursively; real trees are a few levels deep, so a deeper one is refused
// rather than risk the stack.
inline constexpr int maximumReasonDepth = 64;

// Reads the required member `key` as an object with `readFields(Reader&, Json& object)`.
template <typename ReadFields>
bool readObjectMember(Reader& r, Json& parent, const char* key, ReadFields&& readFields)
{
    Json* member = r.requiredMember(parent, key);
    if (!member || !r.expectObject(*member, key)) {
        return false;
    }
    Reader::Scope scope(r, key);
    return readFields(r, *member);
}

bool read(Reader& r, Json& object, CommonData& out);
bool read(Reader& r, Json& object, ResultInformation& out);
bool read(Reader& r, Json& object, JSON_Delay& out, DelayForm form);
bool read(Reader& r, Json& object, JSON_Heat& out);
bool read(Reader& r, Json& object, JSON_Reason& out, int depth);
bool read(Reader& r, Json& object, JSON_Login& out);
bool read(Reader& r, Json& object, Furnace& out);
bool read(Reader& r, Json& object, UpdatedDelay& out);

// Reads "resultInformation" of a reply.
bool readResultInformation(Reader& r, Json& root, ResultInformation& out);

// Writers give false when the value has no valid wire form (a reply delay without identifier).
Json write(const CommonData& value);
Json write(const ResultInformation& value);
bool write(const JSON_Delay& value, DelayForm form, Json& out);
bool write(const JSON_Heat& value, Json& out);
Json write(const JSON_Reason& value);
Json write(const JSON_Login& value);
Json write(const Furnace& value);
Json write(const UpdatedDelay& value);

// The UTF-8 text of a document; encode_error::notUTF8 when a text in it is not valid UTF-8.
Result<std::string> dump(const Json& document);

// Whole messages: the root has been checked to be an object.
bool readMessage(Reader& r, Json& root, LoginRequestBody& out);
bool readMessage(Reader& r, Json& root, FurnacesRequestBody& out);
bool readMessage(Reader& r, Json& root, ReasonsRequestBody& out);
bool readMessage(Reader& r, Json& root, DelaysRequestBody& out);
bool readMessage(Reader& r, Json& root, SaveDelaysRequestBody& out);
bool readMessage(Reader& r, Json& root, UpdatedDelaysRequestBody& out);
bool readMessage(Reader& r, Json& root, LoginRequestResult& out);
bool readMessage(Reader& r, Json& root, FurnacesDownloaderResult& out);
bool readMessage(Reader& r, Json& root, ReasonsDownloaderResult& out);
bool readMessage(Reader& r, Json& root, DelaysDownloaderResult& out);
bool readMessage(Reader& r, Json& root, UpdatedDelaysDownloaderResult& out);
bool readMessage(Reader& r, Json& root, SaveDelaysResult& out);

} // namespace orvendel::wire::detail
