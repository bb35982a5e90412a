#pragma once

#include "core/model/zoned_date_time.hpp"

#include <filesystem>
#include <map>
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

// An opaque colour with components in 0…1.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static Color fromRgb255(int r, int g, int b) { return Color{r / 255.0, g / 255.0, b / 255.0, 1.0}; }
    friend bool operator==(const Color&, const Color&) = default;
};

using RgbComponents = std::map<std::string, int>;

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

// MD5 of the UTF-8 bytes as 32 lower-case hex digits; none when the digest fails.
std::optional<std::string> md5Hex(std::string_view text);

// The application-support folder of the platform paths, created (and tagged as a cache directory, so
// backups skip it) when missing.
bool ensureApplicationSupportDirectory();
std::optional<std::filesystem::path> applicationSupportDirectory();

// True when something exists at the path or the directory could be created with its parents.
bool createDirectoryIfNeeded(const std::filesystem::path& path);

// "rgb(r, g, b)" (any case, any non-word separators) → {"Red", "Green", "Blue"}; none otherwise.
std::optional<RgbComponents> rgbComponents(std::string_view text);
std::optional<Color> colorFromComponents(const std::optional<RgbComponents>& components);

} // namespace Utilities

using Utilities::zonedDateText;

// Fixed interface colours.
namespace ColorPalette {
inline Color commentEditorBackground()
{
    return Color::fromRgb255(224, 224, 224);
}
inline Color applicationShell()
{
    return Color::fromRgb255(10, 51, 83);
}
inline Color splitSlider()
{
    return Color::fromRgb255(10, 110, 209);
}
inline Color sectionHeaderDark()
{
    return Color::fromRgb255(55, 78, 117);
}
inline Color sectionHeaderLight()
{
    return Color::fromRgb255(120, 133, 161);
}
inline Color sectionHeaderAlert()
{
    return Color::fromRgb255(232, 65, 24);
}
} // namespace ColorPalette

} // namespace orvendel
