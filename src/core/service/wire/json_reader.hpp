#pragma once

#include "core/service/wire/messages.hpp"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Strict reading of a parsed message. Internal to the wire library: only its .cpp files include this.
namespace orvendel::wire::detail {

using Json = nlohmann::json;

inline constexpr int typeErrorCode = decode_error::wrongType;
inline constexpr int missingKeyCode = decode_error::missingKey;
inline constexpr int outOfRangeCode = decode_error::outOfRange;

// Walks one message, moving texts out of the parsed document instead of copying them. The first failure
// is kept, with the path at which it happened. Not shared between threads.
class Reader {
public:
    // Marks a step into an object member or an array element for the duration of a scope.
    class Scope {
    public:
        Scope(Reader& reader, const char* key) : m_reader(reader) { m_reader.m_path.push_back({key, 0}); }
        Scope(Reader& reader, std::size_t index) : m_reader(reader) { m_reader.m_path.push_back({nullptr, index}); }
        ~Scope() { m_reader.m_path.pop_back(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Reader& m_reader;
    };

    // Always false, so that readers can `return r.fail(...)`.
    bool fail(int code, const char* key, std::string_view problem);
    const Error& error() const { return m_error; }

    // The member `key` of `object`, or null when the key is missing or holds null. A required member
    // that is absent fails.
    Json* requiredMember(Json& object, const char* key);
    static Json* optionalMember(Json& object, const char* key);

    bool required(Json& object, const char* key, int& out);
    bool required(Json& object, const char* key, bool& out);
    bool required(Json& object, const char* key, std::string& out);
    bool optional(Json& object, const char* key, std::optional<int>& out);
    bool optional(Json& object, const char* key, std::optional<std::string>& out);
    bool optional(Json& object, const char* key, std::optional<float>& out);

    // The value itself (the member `key` of an enclosing object, named for the error path).
    bool asInt(const Json& value, const char* key, int& out);
    bool asString(Json& value, const char* key, std::string& out);
    bool expectObject(const Json& value, const char* key);
    bool expectArray(const Json& value, const char* key);

    // Reads every element of an array value with `readElement(Reader&, Json& element, T&)`.
    template <typename T, typename ReadElement>
    bool readArray(Json& array, const char* key, std::vector<T>& out, ReadElement&& readElement)
    {
        if (!expectArray(array, key)) {
            return false;
        }
        auto& items = array.get_ref<Json::array_t&>();
        Scope inArray(*this, key);
        out.clear();
        out.reserve(items.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            Scope inElement(*this, i);
            T item;
            if (!readElement(*this, items[i], item)) {
                return false;
            }
            out.push_back(std::move(item));
        }
        return true;
    }

private:
    struct Step {
        const char* key;
        std::size_t index;
    };
    std::string pathTo(const char* key) const;

    std::vector<Step> m_path;
    Error m_error{decodeErrorDomain, decode_error::failure, {}};
};

// The JSON type name used in error texts.
const char* typeName(const Json& value);

} // namespace orvendel::wire::detail
