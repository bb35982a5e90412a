#pragma once

#include "core/model/texts.hpp"
#include "core/model/zoned_date_time.hpp"
#include "core/screens/split_time.hpp"

#include <string>

namespace orvendel::screens {

// The wheel picker of elapsed time that fine-tunes a split. Thread contract: pure functions, any thread.
namespace SplitTimePicker {

inline constexpr const char* title = texts::splitTimePickerTitle;
inline constexpr int secondRows = 60;

// Row counts of the wheels. The limits are independent of each other: the hour wheel may offer more
// hours than remain once days are picked; `candidate` is the only check of the combined value.
struct Limits {
    bool hasDayWheel = false; // the span holds at least one whole day
    int maxDays = 0;
    int maxHours = 0;   // total whole hours + 1, at most 24
    int maxMinutes = 0; // total whole minutes + 1, at most 60
    int wheelCount() const { return hasDayWheel ? 4 : 3; }
};

Limits pickerLimits(const ZonedDateTime& start, const ZonedDateTime& end);

// "1 day" for row 1, else "<n> days"; the other wheels read two digits.
std::string dayRowTitle(int row);
std::string unitRowTitle(int row);

// The rows selected when the picker opens on an offset, each kept within its wheel's rows.
SplitTime::ElapsedComponents initialRows(const Limits& limits, float currentValue);

// The instant a picked set of rows names, and whether it may be assigned: only strictly inside the span.
struct Candidate {
    bool canAssign = false;
    float currentValue = 0;    // whole seconds from the start; 0 when not assignable
    std::string splitTimeText; // "MMM dd, HH:mm:ss" in the start's zone, "-" when not assignable
};

// `rows.days` is ignored without a day wheel.
Candidate candidate(const ZonedDateTime& start, const ZonedDateTime& end, const Limits& limits,
                    const SplitTime::ElapsedComponents& rows);

// Start, split instant (start + offset) and end as "MMM dd, HH:mm:ss", each in its own zone.
struct ValueTexts {
    std::string start;
    std::string split;
    std::string end;
};

ValueTexts valueTexts(const ZonedDateTime& start, const ZonedDateTime& end, float currentValue);

} // namespace SplitTimePicker

} // namespace orvendel::screens
