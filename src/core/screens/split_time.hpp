#pragma once

#include "core/model/zoned_date_time.hpp"

#include <optional>
#include <string>

namespace orvendel::screens {

// The split slider's texts. Thread contract: pure functions, any thread.
namespace SplitTime {

inline constexpr const char* noSpanText = " - ";
inline constexpr const char* startElapsedText = "0:00:00";

// Whole elapsed days, hours, minutes and seconds from one instant to another (fractions dropped).
struct ElapsedComponents {
    long long days = 0;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    friend bool operator==(const ElapsedComponents&, const ElapsedComponents&) = default;
};

// None when the end lies before the start.
std::optional<ElapsedComponents> elapsedComponents(Instant start, Instant end);

// Elapsed time as "h:mm:ss", or "d:hh:mm:ss" from one day on: 0:05:30, 1:02:03:04. " - " when either end
// is missing or the end lies before the start.
std::string elapsedText(const std::optional<ZonedDateTime>& start, const std::optional<ZonedDateTime>& end);

// The thumb snaps to whole seconds, halves away from zero.
double snapToWholeSecond(double value);

// Texts of a slider over a delay's span; the thumb starts at the end.
struct SliderTexts {
    std::string relativeStart;
    std::string relativeSelected;
    std::string relativeEnd;
    std::string absoluteStart;
    std::string absoluteSelected;
    std::string absoluteEnd;
    double maximum = 0;
    double value = 0;
    bool enabled = false;
};

// Without a span every text is " - " and the slider is disabled at 0.
SliderTexts sliderTexts(const std::optional<ZonedDateTime>& start, const std::optional<ZonedDateTime>& end);

// The elapsed text on the thumb's button and the clock time over the thumb for a snapped offset.
struct SelectionTexts {
    std::string relativeSelected;
    std::string absoluteSelected;
};

SelectionTexts selectionTexts(const ZonedDateTime& start, double snappedOffset);

// The button text after the picker assigned an offset: the offset as a clock text, 330 s reading
// 00:05:30. An offset of a day or more is written with its days (1:03:00:00), which a clock text cannot show.
std::string assignedOffsetText(double offset);

} // namespace SplitTime

} // namespace orvendel::screens
