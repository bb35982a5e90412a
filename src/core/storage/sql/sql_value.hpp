#pragma once

#include "core/model/zoned_date_time.hpp"

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvendel {

using SqlBlob = std::vector<std::uint8_t>;

// One positional argument of a statement. The kind decides how it is bound: NULL, blob, a date as seconds
// since 1970 (double), 32-bit integer (small integers and booleans), 64-bit integer (unsigned 32-bit and
// every 64-bit integer), double, or UTF-8 text. Absent optionals bind as NULL.
class SqlValue {
public:
    using Storage = std::variant<std::monostate, SqlBlob, Instant, std::int32_t, std::int64_t, double, bool,
                                 std::string, std::string_view>;

    SqlValue() = default;
    SqlValue(std::nullptr_t) {}
    SqlValue(std::nullopt_t) {}
    SqlValue(bool value) : m_storage(value) {}
    template <std::integral T>
    requires(!std::same_as<T, bool>) SqlValue(T value)
    {
        if constexpr (sizeof(T) < 4 || (sizeof(T) == 4 && std::is_signed_v<T>)) {
            m_storage = static_cast<std::int32_t>(value);
        } else {
            // Unsigned values above the signed range wrap, as SQLite has no unsigned 64-bit type.
            m_storage = static_cast<std::int64_t>(value);
        }
    }
    template <std::floating_point T>
    SqlValue(T value) : m_storage(static_cast<double>(value))
    {}
    SqlValue(const char* text) : m_storage(std::string(text)) {}
    SqlValue(std::string text) : m_storage(std::move(text)) {}
    SqlValue(std::string_view text) : m_storage(std::string(text)) {}
    SqlValue(SqlBlob bytes) : m_storage(std::move(bytes)) {}
    SqlValue(Instant date) : m_storage(date) {}
    template <typename T>
    SqlValue(const std::optional<T>& value)
    {
        if (value) {
            m_storage = SqlValue(*value).m_storage;
        }
    }

    // Text bound without a copy: the caller keeps it alive until the statement has run (a store's rows,
    // bound once per row, would otherwise copy every text twice).
    static SqlValue borrowed(std::string_view text)
    {
        SqlValue value;
        value.m_storage = text;
        return value;
    }
    static SqlValue borrowedOrNull(const std::optional<std::string>& text)
    {
        return text ? borrowed(std::string_view(*text)) : SqlValue();
    }

    const Storage& storage() const { return m_storage; }
    bool isNull() const { return std::holds_alternative<std::monostate>(m_storage); }

private:
    Storage m_storage;
};

using SqlValues = std::vector<SqlValue>;

} // namespace orvendel
