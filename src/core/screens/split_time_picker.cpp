#include "core/screens/split_time_picker.hpp"

#include "core/model/utilities.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace orvendel::screens::SplitTimePicker {
namespace {

constexpr const char* valuePattern = "MMM dd, HH:mm:ss";

std::string valueText(Instant instant, TimeZone zone)
{
    return Utilities::formatDateInZone(instant, zone, Calendar::gregorian(), valuePattern);
}

long long wholeSeconds(Instant start, Instant end)
{
    return std::chrono::duration_cast<std::chrono::seconds>(end - start).count();
}

int clampRow(long long value, int rows)
{
    return static_cast<int>(std::clamp<long long>(value, 0, std::max(0, rows - 1)));
}

} // namespace

Limits pickerLimits(const ZonedDateTime& start, const ZonedDateTime& end)
{
    const long long total = std::max(0LL, wholeSeconds(start.date, end.date));
    const long long days = total / 86400;
    Limits limits;
    limits.hasDayWheel = days >= 1;
    limits.maxDays = days >= 1 ? static_cast<int>(std::min<long long>(days + 1, 1'000'000)) : 0;
    limits.maxHours = static_cast<int>(std::min<long long>(total / 3600 + 1, 24));
    limits.maxMinutes = static_cast<int>(std::min<long long>(total / 60 + 1, 60));
    return limits;
}

std::string dayRowTitle(int row)
{
    return row == 1 ? std::string("1 day") : fmt::format("{} days", row);
}

std::string unitRowTitle(int row)
{
    return fmt::format("{:02}", row);
}

SplitTime::ElapsedComponents initialRows(const Limits& limits, float currentValue)
{
    const long long offset = std::isfinite(currentValue) && currentValue > 0 ? static_cast<long long>(currentValue) : 0;
    SplitTime::ElapsedComponents rows;
    rows.days = limits.hasDayWheel ? clampRow(offset / 86400, limits.maxDays) : 0;
    rows.hours = clampRow(offset % 86400 / 3600, limits.maxHours);
    rows.minutes = clampRow(offset % 3600 / 60, limits.maxMinutes);
    rows.seconds = clampRow(offset % 60, secondRows);
    return rows;
}

Candidate candidate(const ZonedDateTime& start, const ZonedDateTime& end, const Limits& limits,
                    const SplitTime::ElapsedComponents& rows)
{
    const long long days = limits.hasDayWheel ? rows.days : 0;
    const long long offset = days * 86400 + rows.hours * 3600LL + rows.minutes * 60LL + rows.seconds;
    const Instant picked = start.date + std::chrono::seconds{offset};
    if (picked > start.date && picked < end.date) {
        return Candidate{true, static_cast<float>(wholeSeconds(start.date, picked)), valueText(picked, start.timeZone)};
    }
    return Candidate{false, 0, "-"};
}

ValueTexts valueTexts(const ZonedDateTime& start, const ZonedDateTime& end, float currentValue)
{
    const Instant split = start.date + std::chrono::duration_cast<Instant::duration>(
                                           std::chrono::duration<double>(static_cast<double>(currentValue)));
    return ValueTexts{valueText(start.date, start.timeZone), valueText(split, start.timeZone),
                      valueText(end.date, end.timeZone)};
}

} // namespace orvendel::screens::SplitTimePicker
