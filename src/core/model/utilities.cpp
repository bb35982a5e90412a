#include "core/model/utilities.hpp"

#include <fmt/format.h>

#include <array>
#include <bit>
#include <cctype>
#include <cstdint>
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

namespace {

// MD5 (RFC 1321) over whole 64-byte blocks. Written here rather than taken from libcrypto: the user folder's
// name is the only digest the app needs, and linking libcrypto for it costs every start its loading.
class Md5 {
public:
    void add(std::string_view bytes)
    {
        m_length += bytes.size();
        for (const char c : bytes) {
            m_block[m_filled++] = static_cast<std::uint8_t>(c);
            if (m_filled == m_block.size()) {
                compress();
                m_filled = 0;
            }
        }
    }

    std::array<std::uint8_t, 16> finish()
    {
        const std::uint64_t bits = m_length * 8;
        add(std::string_view("\x80", 1));
        while (m_filled != 56) {
            add(std::string_view("\0", 1));
        }
        for (int i = 0; i < 8; ++i) {
            m_block[m_filled++] = static_cast<std::uint8_t>(bits >> (8 * i));
        }
        compress();
        std::array<std::uint8_t, 16> digest{};
        for (std::size_t i = 0; i < 16; ++i) {
            digest[i] = static_cast<std::uint8_t>(m_state[i / 4] >> (8 * (i % 4)));
        }
        return digest;
    }

private:
    void compress()
    {
        static constexpr std::array<std::uint32_t, 64> sines = {
            0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
            0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
            0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
            0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
            0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
            0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
            0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
            0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
        static constexpr std::array<int, 16> shifts = {7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21};
        std::array<std::uint32_t, 16> words{};
        for (std::size_t i = 0; i < 16; ++i) {
            words[i] = static_cast<std::uint32_t>(m_block[4 * i]) |
                       static_cast<std::uint32_t>(m_block[4 * i + 1]) << 8 |
                       static_cast<std::uint32_t>(m_block[4 * i + 2]) << 16 |
                       static_cast<std::uint32_t>(m_block[4 * i + 3]) << 24;
        }
        auto [a, b, c, d] = m_state;
        for (std::size_t i = 0; i < 64; ++i) {
            std::uint32_t f = 0;
            std::size_t g = 0;
            switch (i / 16) {
            case 0:
                f = (b & c) | (~b & d);
                g = i;
                break;
            case 1:
                f = (d & b) | (~d & c);
                g = (5 * i + 1) % 16;
                break;
            case 2:
                f = b ^ c ^ d;
                g = (3 * i + 5) % 16;
                break;
            default:
                f = c ^ (b | ~d);
                g = (7 * i) % 16;
                break;
            }
            const std::uint32_t rotated = std::rotl(a + f + sines[i] + words[g], shifts[i / 16 * 4 + i % 4]);
            a = d;
            d = c;
            c = b;
            b += rotated;
        }
        m_state[0] += a;
        m_state[1] += b;
        m_state[2] += c;
        m_state[3] += d;
    }

    std::array<std::uint32_t, 4> m_state = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    std::array<std::uint8_t, 64> m_block{};
    std::size_t m_filled = 0;
    std::uint64_t m_length = 0;
};

} // namespace

std::optional<std::string> md5Hex(std::string_view text)
{
    Md5 md5;
    md5.add(text);
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(32);
    for (const auto byte : md5.finish()) {
        hex += digits[byte >> 4];
        hex += digits[byte & 0xf];
    }
    return hex;
}

} // namespace orvendel::Utilities
