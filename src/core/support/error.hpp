#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace orvendel {

// An error value: a domain text, an integer code and a description shown to people. It lives below every
// other layer because the platform's transports report with it as much as the service client does.
struct Error {
    std::string domain;
    int code = 0;
    std::string description;

    bool is(std::string_view otherDomain, int otherCode) const { return domain == otherDomain && code == otherCode; }
};

// A value or the `Error` saying why there is none; what the core's public operations return instead of
// out-parameters. Tests true when it holds a value, so `if (!manager.open(...))` reads as before.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    explicit operator bool() const { return hasValue(); }
    bool hasValue() const { return m_state.index() == 0; }

    T& value() &
    {
        assert(hasValue());
        return std::get<0>(m_state);
    }
    const T& value() const&
    {
        assert(hasValue());
        return std::get<0>(m_state);
    }
    T&& value() &&
    {
        assert(hasValue());
        return std::get<0>(std::move(m_state));
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    template <typename U>
    T valueOr(U&& fallback) const&
    {
        return hasValue() ? value() : static_cast<T>(std::forward<U>(fallback));
    }

    const Error& error() const
    {
        assert(!hasValue());
        return std::get<1>(m_state);
    }
    // The error, or none when there is a value.
    std::optional<Error> errorIfAny() const { return hasValue() ? std::nullopt : std::optional<Error>(error()); }

private:
    std::variant<T, Error> m_state;
};

// Success with nothing to carry, or the error.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    explicit operator bool() const { return !m_error; }
    bool hasValue() const { return !m_error; }
    const Error& error() const
    {
        assert(m_error);
        return *m_error;
    }
    const std::optional<Error>& errorIfAny() const { return m_error; }

private:
    std::optional<Error> m_error;
};

} // namespace orvendel
