#pragma once

#include "core/model/zoned_date_time.hpp"
#include "core/support/error.hpp"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvendel::screens {

// The plant's shifts: each starts at a clock time of the plant's zone and runs until the next one starts,
// the last until the first starts on the next day. Shift numbers follow the order the user gave them in.
struct ShiftSchedule {
    std::vector<int> startMinutes; // minutes after local midnight, in the user's order

    static constexpr const char* defaultText = "06:00-14:00,14:00-22:00,22:00-06:00";
    static ShiftSchedule standard() { return ShiftSchedule{{6 * 60, 14 * 60, 22 * 60}}; }
    std::size_t size() const { return startMinutes.size(); }
    friend bool operator==(const ShiftSchedule&, const ShiftSchedule&) = default;
};

// Reads "06:00-14:00,14:00-22:00,22:00-06:00" (each shift as start-end) or "06:00,14:00,22:00" (starts only).
// Refused, with a message naming the shifts, when two shifts overlap, when hours are left in no shift, when a
// time is not a clock time or when nothing is given.
Result<ShiftSchedule> parseShiftSchedule(std::string_view text);
// The setting's text, every shift as start-end.
std::string shiftScheduleText(const ShiftSchedule& schedule);
// "Shift 2" — numbers from 1.
std::string shiftName(std::size_t index);
// "14:00–22:00" of shift `index`.
std::string shiftHoursText(const ShiftSchedule& schedule, std::size_t index);

// The UTC offset in force at an instant in the plant's zone: daylight-saving time is whatever this says.
using ZoneOffsetAt = std::function<int(Instant)>;
ZoneOffsetAt fixedZone(TimeZone zone);

// The instant a local clock time of a local day names. In the hour skipped in spring it gives the moment the
// clocks jumped past it; in the hour repeated in autumn, its first occurrence.
Instant localTimeInstant(std::chrono::sys_days localDay, int minuteOfDay, const ZoneOffsetAt& offsetAt);

// The moment one shift begins, sorted by time.
struct ShiftStart {
    Instant start;
    std::size_t shift = 0; // index into the schedule
};

// Every shift start from the one in force at `from` to the first one after `to`, so that every instant in
// [from, to) lies between two of them. On a daylight-saving day the shift over the change is an hour shorter
// or longer, since its ends stay at the same clock times.
std::vector<ShiftStart> shiftStarts(const ShiftSchedule& schedule, const ZoneOffsetAt& offsetAt, Instant from,
                                    Instant to);

} // namespace orvendel::screens
