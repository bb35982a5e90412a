#pragma once

#include "core/model/furnace.hpp"
#include "core/model/result_information.hpp"
#include "core/model/updated_delay.hpp"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The delay service's messages as they travel: every request body and every reply, one struct each.
// Records here are plain values; turning them into domain records is the store's job.
namespace orvendel::wire {

inline constexpr const char* defaultReasonColor = "rgb(255, 255, 255)";

struct JSON_Delay {
    std::optional<int> delayId; // written as null when absent; required (non-null) in replies
    int reasonId = 0;
    std::string reasonDescription; // in replies only; a save body never carries it
    std::string startDate;
    std::string endDate;
    std::string timestamp;
    std::optional<std::string> comment; // key left out when absent
    bool isEdited = false;              // neither read nor written
    bool isSplitted = false;            // neither read nor written
};

struct JSON_Heat {
    int furnaceId = 0; // 0 when missing or null
    int heatId = 0;
    int heatNumber = 0;
    std::string startDate;
    std::string endDate;
    std::optional<std::vector<JSON_Delay>> delays;
};

struct JSON_Reason {
    std::optional<int> id; // "delayReasonId"
    int categoryId = 0;    // "delayCategoryId"
    std::string description;
    std::string shortDescription;
    std::string colorString = defaultReasonColor; // "color"
    std::optional<std::vector<JSON_Reason>> childReasons;
};

struct JSON_Login {
    std::string sessionId; // "token"
    int startingFurnaceId = 0;
};

struct CommonData {
    std::string username;
    std::string sessionId;
    std::string locale;
    std::optional<int> furnaceId; // key left out when absent
};

struct LoginParameters {
    std::string username;
    std::string password;
    std::string systemRequesting = "iOS";
};

struct DelaysParameters {
    std::string requestDate;
    bool ignoreRequestDate = true;
};

struct SaveDelaysParameters {
    int heatId = 0;
    std::vector<JSON_Delay> delays;
};

struct UpdatedDelaysParameters {
    int furnaceId = 0;
    int heatId = 0;
    std::vector<std::map<std::string, int>> delaysToCheck;
};

// Request bodies, one per message.
struct LoginRequestBody {
    LoginParameters data;
};
struct FurnacesRequestBody {
    CommonData commonData;
};
struct ReasonsRequestBody {
    CommonData commonData;
};
struct DelaysRequestBody {
    CommonData commonData;
    DelaysParameters data;
};
struct SaveDelaysRequestBody {
    CommonData commonData;
    SaveDelaysParameters data;
};
// Nothing in the app sends this one; the shape follows the other messages.
struct UpdatedDelaysRequestBody {
    CommonData commonData;
    UpdatedDelaysParameters data;
};

// Replies. "data" may be missing or null in every reply that has it.
struct LoginRequestResult {
    ResultInformation resultInformation;
    std::optional<JSON_Login> data;
};
struct FurnacesDownloaderResult {
    ResultInformation resultInformation;
    std::optional<std::vector<Furnace>> data;
};
struct ReasonsDownloaderResult {
    ResultInformation resultInformation;
    std::optional<std::vector<JSON_Reason>> data;
};
struct DelaysDownloaderResult {
    ResultInformation resultInformation;
    std::optional<std::vector<JSON_Heat>> data;
};
struct UpdatedDelaysDownloaderResult {
    ResultInformation resultInformation;
    std::optional<std::vector<UpdatedDelay>> data;
};
struct SaveDelaysResult {
    ResultInformation resultInformation;
};

// Why bytes did not decode is an `Error` of this domain: its description is the parser's or the type
// check's text (never the input itself), its code the JSON library's exception id. Our own checks use the
// library's numbering too, so callers see one scheme.
inline constexpr const char* decodeErrorDomain = "WireDecode";
namespace decode_error {
inline constexpr int syntax = 101; // the library's first parse error; others of the kind follow it
inline constexpr int wrongType = 302;
inline constexpr int missingKey = 403;
inline constexpr int outOfRange = 406;
inline constexpr int failure = 0; // not the library's: memory ran out, or something unforeseen
} // namespace decode_error

// Why a value has no wire form.
inline constexpr const char* encodeErrorDomain = "WireEncode";
namespace encode_error {
inline constexpr int notUTF8 = 1;
// A delay without identifier in a reply, which no reader would accept.
inline constexpr int delayWithoutIdentifier = 2;
} // namespace encode_error

// Encoding gives UTF-8 JSON text, or the encode_error why the value has none.
// Decoding is strict: a missing required key, a null where a value is required or a value of the wrong
// JSON type (a string for a number, 1.5 for an integer, 0/1 for a boolean) fails the whole message;
// unknown keys are ignored. Both directions exist for every message, so that the reference service
// speaks exactly what the app speaks.
Result<std::string> encode(const LoginRequestBody& body);
Result<std::string> encode(const FurnacesRequestBody& body);
Result<std::string> encode(const ReasonsRequestBody& body);
Result<std::string> encode(const DelaysRequestBody& body);
Result<std::string> encode(const SaveDelaysRequestBody& body);
Result<std::string> encode(const UpdatedDelaysRequestBody& body);
Result<std::string> encode(const LoginRequestResult& reply);
Result<std::string> encode(const FurnacesDownloaderResult& reply);
Result<std::string> encode(const ReasonsDownloaderResult& reply);
Result<std::string> encode(const DelaysDownloaderResult& reply);
Result<std::string> encode(const UpdatedDelaysDownloaderResult& reply);
Result<std::string> encode(const SaveDelaysResult& reply);

// decode<LoginRequestResult>(bytes), decode<SaveDelaysRequestBody>(bytes), … for every type above.
template <typename T>
Result<T> decode(std::string_view bytes);

} // namespace orvendel::wire
