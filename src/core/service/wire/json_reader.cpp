#include "core/service/wire/json_reader.hpp"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace orvendel::wire::detail {
namespace {

// Integers only: a float is accepted when it is a whole number (17.0), never rounded (1.5 fails).
bool integerValue(const Json& value, int& out)
{
    constexpr auto minimum = std::numeric_limits<int>::min();
    constexpr auto maximum = std::numeric_limits<int>::max();
    switch (value.type()) {
    case Json::value_t::number_integer: {
        const std::int64_t v = value.get_ref<const Json::number_integer_t&>();
        if (v < minimum || v > maximum) {
            return false;
        }
        out = static_cast<int>(v);
        return true;
    }
    case Json::value_t::number_unsigned: {
        const std::uint64_t v = value.get_ref<const Json::number_unsigned_t&>();
        if (v > static_cast<std::uint64_t>(maximum)) {
            return false;
        }
        out = static_cast<int>(v);
        return true;
    }
    case Json::value_t::number_float: {
        const double v = value.get_ref<const Json::number_float_t&>();
        if (!std::isfinite(v) || std::trunc(v) != v || v < minimum || v > maximum) {
            return false;
        }
        out = static_cast<int>(v);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

const char* typeName(const Json& value)
{
    switch (value.type()) {
    case Json::value_t::null:
        return "null";
    case Json::value_t::boolean:
        return "boolean";
    case Json::value_t::string:
        return "string";
    case Json::value_t::object:
        return "object";
    case Json::value_t::array:
        return "array";
    case Json::value_t::number_float:
        return "non-integer number";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
        return "number";
    default:
        return "unsupported value";
    }
}

std::string Reader::pathTo(const char* key) const
{
    std::string path;
    for (const Step& step : m_path) {
        if (step.key) {
            if (!path.empty()) {
                path += '.';
            }
            path += step.key;
        } else {
            path += '[';
            path += std::to_string(step.index);
            path += ']';
        }
    }
    if (key) {
        if (!path.empty()) {
            path += '.';
        }
        path += key;
    }
    return path.empty() ? std::string("(message)") : path;
}

bool Reader::fail(int code, const char* key, std::string_view problem)
{
    m_error.code = code;
    m_error.description = pathTo(key);
    m_error.description += ": ";
    m_error.description += problem;
    return false;
}

Json* Reader::requiredMember(Json& object, const char* key)
{
    auto found = object.find(key);
    if (found == object.end()) {
        fail(missingKeyCode, key, "required key is missing");
        return nullptr;
    }
    if (found->is_null()) {
        fail(typeErrorCode, key, "required value is null");
        return nullptr;
    }
    return &*found;
}

Json* Reader::optionalMember(Json& object, const char* key)
{
    auto found = object.find(key);
    if (found == object.end() || found->is_null()) {
        return nullptr;
    }
    return &*found;
}

bool Reader::asInt(const Json& value, const char* key, int& out)
{
    if (integerValue(value, out)) {
        return true;
    }
    if (value.is_number()) {
        return fail(outOfRangeCode, key, "number is not a 32-bit integer");
    }
    return fail(typeErrorCode, key, std::string("expected an integer, found ") + typeName(value));
}

bool Reader::asString(Json& value, const char* key, std::string& out)
{
    if (!value.is_string()) {
        return fail(typeErrorCode, key, std::string("expected a string, found ") + typeName(value));
    }
    out = std::move(value.get_ref<std::string&>());
    return true;
}

bool Reader::expectObject(const Json& value, const char* key)
{
    if (value.is_object()) {
        return true;
    }
    return fail(typeErrorCode, key, std::string("expected an object, found ") + typeName(value));
}

bool Reader::expectArray(const Json& value, const char* key)
{
    if (value.is_array()) {
        return true;
    }
    return fail(typeErrorCode, key, std::string("expected an array, found ") + typeName(value));
}

bool Reader::required(Json& object, const char* key, int& out)
{
    Json* member = requiredMember(object, key);
    return member && asInt(*member, key, out);
}

bool Reader::required(Json& object, const char* key, bool& out)
{
    Json* member = requiredMember(object, key);
    if (!member) {
        return false;
    }
    if (!member->is_boolean()) {
        return fail(typeErrorCode, key, std::string("expected a boolean, found ") + typeName(*member));
    }
    out = member->get<bool>();
    return true;
}

bool Reader::required(Json& object, const char* key, std::string& out)
{
    Json* member = requiredMember(object, key);
    return member && asString(*member, key, out);
}

bool Reader::optional(Json& object, const char* key, std::optional<int>& out)
{
    out.reset();
    Json* member = optionalMember(object, key);
    if (!member) {
        return true;
    }
    int value = 0;
    if (!asInt(*member, key, value)) {
        return false;
    }
    out = value;
    return true;
}

bool Reader::optional(Json& object, const char* key, std::optional<std::string>& out)
{
    out.reset();
    Json* member = optionalMember(object, key);
    if (!member) {
        return true;
    }
    std::string value;
    if (!asString(*member, key, value)) {
        return false;
    }
    out = std::move(value);
    return true;
}

bool Reader::optional(Json& object, const char* key, std::optional<float>& out)
{
    out.reset();
    Json* member = optionalMember(object, key);
    if (!member) {
        return true;
    }
    if (!member->is_number()) {
        return fail(typeErrorCode, key, std::string("expected a number, found ") + typeName(*member));
    }
    const double value = member->get<double>();
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) {
        return fail(outOfRangeCode, key, "number does not fit a 32-bit float");
    }
    out = static_cast<float>(value);
    return true;
}

} // namespace orvendel::wire::detail
