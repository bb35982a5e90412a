#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace orvendel {

// An absolute moment with sub-second precision.
using Instant = std::chrono::system_clock::time_point;

// A fixed-offset time zone, in whole seconds east of UTC.
struct TimeZone {
    int offsetSeconds = 0;

    static constexpr int maximumOffsetSeconds = 18 * 3600;

    static TimeZone utc() { return TimeZone{0}; }
    // None when the offset is beyond ±18 hours.
    static std::optional<TimeZone> fromOffsetSeconds(int seconds);

    friend bool operator==(const TimeZone&, const TimeZone&) = default;
};

// An instant together with the zone in which it was reported. Both fields may change; `copy` makes an
// independent value (plain value semantics already do).
struct ZonedDateTime {
    Instant date{};
    TimeZone timeZone{};

    ZonedDateTime() = default;
    ZonedDateTime(Instant dateValue, TimeZone zone) : date(dateValue), timeZone(zone) {}

    // Parses "2019-03-07T14:05:00-06:00" (also "Z", "±hhmm", "±hh"); none for anything else.
    static std::optional<ZonedDateTime> fromText(std::string_view text);

    // "yyyy-MM-dd'T'HH:mm:ssZZZZZ" in the value's own zone; a zero offset is written "Z".
    std::string text() const;

    ZonedDateTime copy() const { return *this; }
};

} // namespace orvendel
