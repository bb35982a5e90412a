#include "core/screens/shift_schedule.hpp"

#include "core/screens/report_errors.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <numeric>
#include <optional>

namespace orvendel::screens {
namespace {

constexpr int minutesPerDay = 24 * 60;

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

// "6:00" or "06:00", 00:00 to 23:59.
std::optional<int> clockMinutes(std::string_view text)
{
    text = trimmed(text);
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3) {
        return std::nullopt;
    }
    int hours = 0;
    for (char c : text.substr(0, colon)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        hours = hours * 10 + (c - '0');
    }
    const char tens = text[colon + 1];
    const char ones = text[colon + 2];
    if (!std::isdigit(static_cast<unsigned char>(tens)) || !std::isdigit(static_cast<unsigned char>(ones))) {
        return std::nullopt;
    }
    const int minutes = (tens - '0') * 10 + (ones - '0');
    if (hours > 23 || minutes > 59) {
        return std::nullopt;
    }
    return hours * 60 + minutes;
}

std::string clockText(int minutes)
{
    return fmt::format("{:02}:{:02}", minutes / 60, minutes % 60);
}

Error refused(std::string message)
{
    return Error{report_error::domain, report_error::invalidShiftSchedule, std::move(message)};
}

struct GivenShift {
    std::size_t number = 0; // the user's order
    int start = 0;
    std::optional<int> end;
};

std::string givenText(const GivenShift& shift, int end)
{
    return fmt::format("{} ({}-{})", shiftName(shift.number), clockText(shift.start), clockText(end));
}

} // namespace

Result<ShiftSchedule> parseShiftSchedule(std::string_view text)
{
    std::vector<GivenShift> shifts;
    std::size_t position = 0;
    while (position <= text.size()) {
        const auto comma = std::min(text.find(',', position), text.size());
        const std::string_view item = trimmed(text.substr(position, comma - position));
        position = comma + 1;
        if (item.empty() && shifts.empty() && position > text.size()) {
            break;
        }
        const auto dash = item.find('-');
        GivenShift shift{shifts.size(), 0, std::nullopt};
        const auto start = clockMinutes(item.substr(0, dash));
        if (dash != std::string_view::npos) {
            shift.end = clockMinutes(item.substr(dash + 1));
        }
        if (!start || (dash != std::string_view::npos && !shift.end)) {
            return refused(fmt::format("\"{}\" is not a shift: give each as 06:00-14:00, separated by commas.", item));
        }
        shift.start = *start;
        shifts.push_back(shift);
    }
    if (shifts.empty()) {
        return refused("No shift is given: give at least one, as 06:00-14:00.");
    }

    std::vector<GivenShift> byStart = shifts;
    std::sort(byStart.begin(), byStart.end(), [](const auto& a, const auto& b) { return a.start < b.start; });
    for (std::size_t i = 0; i < byStart.size(); ++i) {
        const GivenShift& shift = byStart[i];
        const GivenShift& next = byStart[(i + 1) % byStart.size()];
        if (byStart.size() > 1 && shift.start == next.start) {
            return refused(fmt::format("{} and {} both start at {}.", shiftName(std::min(shift.number, next.number)),
                                       shiftName(std::max(shift.number, next.number)), clockText(shift.start)));
        }
        if (!shift.end || *shift.end == next.start) {
            continue;
        }
        // Distances are taken round the clock from this shift's start, so a night shift needs no special case.
        const auto around = [&](int minutes) {
            return ((minutes - shift.start) % minutesPerDay + minutesPerDay) % minutesPerDay;
        };
        const int length = around(*shift.end) == 0 ? minutesPerDay : around(*shift.end);
        const int nextStart = byStart.size() == 1       ? minutesPerDay
                              : around(next.start) == 0 ? minutesPerDay
                                                        : around(next.start);
        if (length > nextStart) {
            return refused(fmt::format("{} overlaps {}: give each hour of the day to one shift.",
                                       givenText(shift, *shift.end), givenText(next, next.end.value_or(shift.start))));
        }
        return refused(fmt::format("No shift covers {}-{}: {} ends at {} but the next shift starts at {}.",
                                   clockText(*shift.end), clockText(next.start), shiftName(shift.number),
                                   clockText(*shift.end), clockText(next.start)));
    }
    ShiftSchedule schedule;
    for (const auto& shift : shifts) {
        schedule.startMinutes.push_back(shift.start);
    }
    return schedule;
}

std::string shiftName(std::size_t index)
{
    return fmt::format("Shift {}", index + 1);
}

std::string shiftHoursText(const ShiftSchedule& schedule, std::size_t index)
{
    const int start = schedule.startMinutes.at(index);
    // The shift ends where the next one by clock time starts.
    int end = start;
    int nearest = minutesPerDay + 1;
    for (int other : schedule.startMinutes) {
        const int distance = ((other - start) % minutesPerDay + minutesPerDay) % minutesPerDay;
        if (distance > 0 && distance < nearest) {
            nearest = distance;
            end = other;
        }
    }
    return clockText(start) + "-" + clockText(end);
}

std::string shiftScheduleText(const ShiftSchedule& schedule)
{
    std::string text;
    for (std::size_t i = 0; i < schedule.size(); ++i) {
        text += (i ? "," : "") + shiftHoursText(schedule, i);
    }
    return text;
}

ZoneOffsetAt fixedZone(TimeZone zone)
{
    return [offset = zone.offsetSeconds](Instant) { return offset; };
}

Instant localTimeInstant(std::chrono::sys_days localDay, int minuteOfDay, const ZoneOffsetAt& offsetAt)
{
    using namespace std::chrono;
    const Instant asUtc = localDay + minutes{minuteOfDay};
    // A zone changes its offset at most once within a day either side, so these are the only candidates.
    const int before = offsetAt(asUtc - hours{14});
    const int after = offsetAt(asUtc + hours{14});
    const Instant withBefore = asUtc - seconds{before};
    const Instant withAfter = asUtc - seconds{after};
    const bool beforeHolds = offsetAt(withBefore) == before;
    const bool afterHolds = offsetAt(withAfter) == after;
    if (beforeHolds && afterHolds) {
        return std::min(withBefore, withAfter);
    }
    if (afterHolds) {
        return withAfter;
    }
    return withBefore;
}

std::vector<ShiftStart> shiftStarts(const ShiftSchedule& schedule, const ZoneOffsetAt& offsetAt, Instant from,
                                    Instant to)
{
    using namespace std::chrono;
    if (schedule.startMinutes.empty()) {
        return {};
    }
    to = std::max(to, from);
    const auto localDay = [&](Instant instant) { return floor<days>(instant + seconds{offsetAt(instant)}); };
    std::vector<ShiftStart> starts;
    for (auto day = localDay(from) - days{1}; day <= localDay(to) + days{1}; day += days{1}) {
        for (std::size_t shift = 0; shift < schedule.size(); ++shift) {
            starts.push_back({localTimeInstant(day, schedule.startMinutes[shift], offsetAt), shift});
        }
    }
    std::sort(starts.begin(), starts.end(), [](const auto& a, const auto& b) { return a.start < b.start; });
    // From the start in force at `from` to the first after `to`.
    auto first = std::upper_bound(starts.begin(), starts.end(), from,
                                  [](Instant value, const ShiftStart& s) { return value < s.start; });
    if (first != starts.begin()) {
        --first;
    }
    auto last =
        std::upper_bound(first, starts.end(), to, [](Instant value, const ShiftStart& s) { return value < s.start; });
    if (last != starts.end()) {
        ++last;
    }
    return {first, last};
}

} // namespace orvendel::screens
