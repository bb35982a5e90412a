#include "core/screens/split_time.hpp"

#include "core/model/utilities.hpp"

#include <fmt/format.h>

#include <cmath>

namespace orvendel::screens::SplitTime {
namespace {

constexpr const char* clockPattern = "HH:mm:ss";

std::string formatElapsed(const ElapsedComponents& c)
{
    if (c.days >= 1) {
        return fmt::format("{}:{:02}:{:02}:{:02}", c.days, c.hours, c.minutes, c.seconds);
    }
    return fmt::format("{}:{:02}:{:02}", c.hours, c.minutes, c.seconds);
}

std::string clockText(Instant instant, TimeZone zone)
{
    return Utilities::formatDateInZone(instant, zone, Calendar::gregorian(), clockPattern);
}

Instant plusSeconds(Instant instant, double seconds)
{
    return instant + std::chrono::duration_cast<Instant::duration>(std::chrono::duration<double>(seconds));
}

} // namespace

std::optional<ElapsedComponents> elapsedComponents(Instant start, Instant end)
{
    if (end < start) {
        return std::nullopt;
    }
    // Zones are fixed offsets, so every calendar day of the difference is 24 hours long.
    const long long total = std::chrono::duration_cast<std::chrono::seconds>(end - start).count();
    ElapsedComponents c;
    c.days = total / 86400;
    c.hours = static_cast<int>(total % 86400 / 3600);
    c.minutes = static_cast<int>(total % 3600 / 60);
    c.seconds = static_cast<int>(total % 60);
    return c;
}

std::string elapsedText(const std::optional<ZonedDateTime>& start, const std::optional<ZonedDateTime>& end)
{
    if (!start || !end) {
        return noSpanText;
    }
    const auto components = elapsedComponents(start->date, end->date);
    return components ? formatElapsed(*components) : std::string(noSpanText);
}

double snapToWholeSecond(double value)
{
    return std::round(value);
}

SliderTexts sliderTexts(const std::optional<ZonedDateTime>& start, const std::optional<ZonedDateTime>& end)
{
    SliderTexts t{noSpanText, noSpanText, noSpanText, noSpanText, noSpanText, noSpanText, 0, 0, false};
    if (!start || !end) {
        return t;
    }
    const double length = std::chrono::duration<double>(end->date - start->date).count();
    t.maximum = length;
    t.value = length;
    t.absoluteStart = clockText(start->date, start->timeZone);
    t.absoluteSelected = clockText(plusSeconds(start->date, length), start->timeZone);
    t.absoluteEnd = clockText(end->date, end->timeZone);
    t.relativeStart = startElapsedText;
    t.relativeSelected = elapsedText(start, end);
    t.relativeEnd = t.relativeSelected;
    t.enabled = true;
    return t;
}

SelectionTexts selectionTexts(const ZonedDateTime& start, double snappedOffset)
{
    const ZonedDateTime split{plusSeconds(start.date, snappedOffset), start.timeZone};
    return SelectionTexts{elapsedText(start, split), clockText(split.date, start.timeZone)};
}

std::string assignedOffsetText(double offset)
{
    const auto components = elapsedComponents(Instant{}, plusSeconds(Instant{}, offset));
    if (!components) {
        return noSpanText;
    }
    if (components->days >= 1) {
        return formatElapsed(*components);
    }
    return fmt::format("{:02}:{:02}:{:02}", components->hours, components->minutes, components->seconds);
}

} // namespace orvendel::screens::SplitTime
