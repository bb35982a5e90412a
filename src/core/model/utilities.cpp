#include "core/model/utilities.hpp"

#include <fmt/format.h>
#include <openssl/evp.h>

#include <array>
#include <cctype>
#include <cstdlib>

namespace orvendel::Utilities {
namespace {

constexpr std::array<const char*, 12> monthAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A number padded to two digits for a doubled pattern letter ("dd"), unpadded for a single one.
std::string number(long long value, std::size_t run)
{
    return run >= 2 ? fmt::format("{:02}", value) : fmt::format("{}", value);
}

std::string offsetText(int offsetSeconds)
{
    if (offsetSeconds == 0) {
        return "Z";
    }
    const char sign = offsetSeconds < 0 ? '-' : '+';
    const int total = std::abs(offsetSeconds) / 60;
    return fmt::format("{}{:02}:{:02}", sign, total / 60, total % 60);
}

} // namespace

std::string formatDateInZone(Instant instant, TimeZone zone, const Calendar& /*calendar*/, std::string_view pattern)
{
    using namespace std::chrono;
    const auto local = floor<seconds>(instant) + seconds{zone.offsetSeconds};
    const auto day = floor<days>(local);
    const year_month_day ymd{day};
    const hh_mm_ss<seconds> time{local - day};

    std::string out;
    out.reserve(pattern.size() + 8);
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'') {
            const auto close = pattern.find('\'', i + 1);
            if (close == i + 1) {
                out += '\'';
                i += 2;
                continue;
            }
            const auto end = close == std::string_view::npos ? pattern.size() : close;
            out.append(pattern.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) {
            ++run;
        }
        switch (c) {
        case 'y':
            out += run == 2 ? fmt::format("{:02}", static_cast<int>(ymd.year()) % 100)
                            : fmt::format("{:04}", static_cast<int>(ymd.year()));
            break;
        case 'M':
            if (run >= 3) {
                out += monthAbbreviations[static_cast<unsigned>(ymd.month()) - 1];
            } else {
                out += number(static_cast<unsigned>(ymd.month()), run);
            }
            break;
        case 'd':
            out += number(static_cast<unsigned>(ymd.day()), run);
            break;
        case 'H':
            out += number(time.hours().count(), run);
            break;
        case 'm':
            out += number(time.minutes().count(), run);
            break;
        case 's':
            out += number(time.seconds().count(), run);
            break;
        case 'Z':
            out += offsetText(zone.offsetSeconds);
            break;
        default:
            out.append(run, c);
            break;
        }
        i += run;
    }
    return out;
}

std::string zonedDateText(Instant instant, const Calendar& calendar)
{
    return formatDateInZone(instant, calendar.timeZone, calendar, "yyyy-MM-dd'T'HH:mm:ssZZZZZ");
}

std::optional<std::string> formatDate(std::optional<Instant> instant, std::optional<std::string_view> pattern,
                                      std::optional<Calendar> calendar)
{
    if (!instant || !pattern) {
        return std::nullopt;
    }
    const Calendar cal = calendar.value_or(Calendar::gregorian());
    return formatDateInZone(*instant, cal.timeZone, cal, *pattern);
}

double secondsBetween(Instant start, Instant end, const Calendar& /*calendar*/)
{
    return static_cast<double>(std::chrono::duration_cast<std::chrono::seconds>(end - start).count());
}

std::string serviceLocaleFrom(const char* lcAll, const char* lcMessages, const char* lang)
{
    const char* chosen = nullptr;
    for (const char* candidate : {lcAll, lcMessages, lang}) {
        if (candidate && *candidate) {
            chosen = candidate;
            break;
        }
    }
    std::string locale = chosen ? chosen : "";
    // "de_CH.UTF-8@euro" names the locale "de_CH".
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale.empty() || locale == "C" || locale == "POSIX") {
        return "en-US";
    }
    for (auto& c : locale) {
        if (c == '_') {
            c = '-';
        }
    }
    return locale;
}

std::string serviceLocale()
{
    return serviceLocaleFrom(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::optional<std::string> md5Hex(std::string_view text)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr) != 1 || length != 16) {
        return std::nullopt;
    }
    std::string hex;
    hex.reserve(32);
    for (unsigned int i = 0; i < length; ++i) {
        hex += fmt::format("{:02x}", digest[i]);
    }
    return hex;
}

} // namespace orvendel::Utilities
