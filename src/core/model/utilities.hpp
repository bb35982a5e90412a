#pragma once

#include "core/model/zoned_date_time.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace orvendel {

// A Gregorian calendar in a fixed zone, with the locale its formatters use.
struct Calendar {
    TimeZone timeZone = TimeZone::utc();
    std::string locale = "en_US_POSIX";

    static Calendar gregorian(TimeZone zone = TimeZone::utc()) { return Calendar{zone, "en_US_POSIX"}; }
};

// Stateless helpers shared by every subsystem. Thread contract: any thread.
namespace Utilities {

// "yyyy-MM-dd'T'HH:mm:ssZZZZZ" in the calendar's zone: "Z" for a zero offset, else ±hh:mm.
std::string zonedDateText(Instant instant, const Calendar& calendar);

// Formats with a date pattern (yyyy, MM, MMM, dd, d, HH, mm, ss, ZZZZZ, 'quoted text'). Without a calendar:
// Gregorian, "en_US_POSIX", UTC. None when the instant or the pattern is absent.
std::optional<std::string> formatDate(std::optional<Instant> instant, std::optional<std::string_view> pattern,
                                      std::optional<Calendar> calendar = std::nullopt);

std::string formatDateInZone(Instant instant, TimeZone zone, const Calendar& calendar, std::string_view pattern);

// Whole seconds from start to end (fractions dropped toward zero), negative when start is later.
double secondsBetween(Instant start, Instant end, const Calendar& calendar = Calendar::gregorian());

// The locale sent to the service: LC_ALL, then LC_MESSAGES, then LANG, as "de-CH"; "en-US" when unset,
// "C" or "POSIX".
std::string serviceLocale();
// The same rule on given values (testable without touching the environment).
std::string serviceLocaleFrom(const char* lcAll, const char* lcMessages, const char* lang);

// MD5 of the UTF-8 bytes as 32 lower-case hex digits (always a value).
std::optional<std::string> md5Hex(std::string_view text);

} // namespace Utilities

using Utilities::zonedDateText;

} // namespace orvendel
