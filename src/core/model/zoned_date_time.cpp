#include "core/model/zoned_date_time.hpp"

#include "core/model/utilities.hpp"

#include <charconv>
#include <cstdlib>

namespace orvendel {
namespace {

// Reads exactly `count` ASCII digits at `pos`.
std::optional<int> digits(std::string_view text, std::size_t pos, std::size_t count)
{
    if (pos + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// A decimal integer with an optional sign, the whole text and nothing else.
std::optional<int> signedInteger(std::string_view text)
{
    if (text.empty()) {
        return std::nullopt;
    }
    std::size_t start = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        start = 1;
    }
    int value = 0;
    auto [end, ec] = std::from_chars(text.data() + start, text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || start == text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

// Step one: the whole text as an internet date-time to whole seconds; gives the instant.
std::optional<Instant> parseInstant(std::string_view text)
{
    using namespace std::chrono;
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const auto y = digits(text, 0, 4);
    const auto mo = digits(text, 5, 2);
    const auto d = digits(text, 8, 2);
    const auto h = digits(text, 11, 2);
    const auto mi = digits(text, 14, 2);
    const auto s = digits(text, 17, 2);
    if (!y || !mo || !d || !h || !mi || !s || *h > 23 || *mi > 59 || *s > 59) {
        return std::nullopt;
    }
    const year_month_day ymd{year{*y}, month{static_cast<unsigned>(*mo)}, day{static_cast<unsigned>(*d)}};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    const std::string_view zone = text.substr(19);
    int offsetMinutes = 0;
    if (zone == "Z") {
        offsetMinutes = 0;
    } else {
        const char sign = zone[0];
        if (sign != '+' && sign != '-') {
            return std::nullopt;
        }
        std::optional<int> zh;
        std::optional<int> zm = 0;
        if (zone.size() == 6 && zone[3] == ':') {
            zh = digits(zone, 1, 2);
            zm = digits(zone, 4, 2);
        } else if (zone.size() == 5) {
            zh = digits(zone, 1, 2);
            zm = digits(zone, 3, 2);
        } else if (zone.size() == 3) {
            zh = digits(zone, 1, 2);
        } else {
            return std::nullopt;
        }
        if (!zh || !zm || *zm > 59) {
            return std::nullopt;
        }
        offsetMinutes = (*zh * 60 + *zm) * (sign == '-' ? -1 : 1);
    }
    const sys_seconds local = sys_days{ymd} + hours{*h} + minutes{*mi} + seconds{*s};
    const sys_seconds moment = local - minutes{offsetMinutes};
    // An Instant counts nanoseconds in 64 bits (years 1678 to 2261); a date beyond that would overflow it.
    if (moment < ceil<seconds>(Instant::min()) || moment > floor<seconds>(Instant::max())) {
        return std::nullopt;
    }
    return Instant{moment};
}

// Step two: the zone from everything after the 19th character.
std::optional<TimeZone> parseZone(std::string_view zone)
{
    int offsetMinutes = 0;
    if (zone == "Z") {
        offsetMinutes = 0;
    } else if (zone.size() == 6) {
        const auto colon = zone.find(':');
        if (colon == std::string_view::npos || zone.find(':', colon + 1) != std::string_view::npos) {
            return std::nullopt;
        }
        const auto hours = signedInteger(zone.substr(0, colon));
        const auto minutes = signedInteger(zone.substr(colon + 1));
        if (!hours || !minutes) {
            return std::nullopt;
        }
        offsetMinutes = zone[0] == '+' ? *hours * 60 + *minutes : *hours * 60 - *minutes;
    } else if (zone.size() == 5) {
        const auto hours = signedInteger(zone.substr(0, 3));
        const auto minutes = signedInteger(zone.substr(3, 2));
        if (!hours || !minutes) {
            return std::nullopt;
        }
        offsetMinutes = zone[0] == '+' ? *hours * 60 + *minutes : *hours * 60 - *minutes;
    } else if (zone.size() == 3) {
        const auto hours = signedInteger(zone);
        if (!hours) {
            return std::nullopt;
        }
        offsetMinutes = *hours * 60;
    } else {
        return std::nullopt;
    }
    return TimeZone::fromOffsetSeconds(offsetMinutes * 60);
}

} // namespace

std::optional<TimeZone> TimeZone::fromOffsetSeconds(int seconds)
{
    if (std::abs(seconds) > maximumOffsetSeconds) {
        return std::nullopt;
    }
    return TimeZone{seconds};
}

std::optional<ZonedDateTime> ZonedDateTime::fromText(std::string_view text)
{
    const auto instant = parseInstant(text);
    if (!instant) {
        return std::nullopt;
    }
    const auto zone = parseZone(text.substr(19));
    if (!zone) {
        return std::nullopt;
    }
    return ZonedDateTime{*instant, *zone};
}

std::string ZonedDateTime::text() const
{
    return zonedDateText(date, Calendar::gregorian(timeZone));
}

} // namespace orvendel
