#include "cli/timeline.hpp"

#include <algorithm>
#include <cmath>

namespace orvendel::cli {

char legendLetter(std::size_t index)
{
    if (index < 26) {
        return static_cast<char>('A' + index);
    }
    if (index < 52) {
        return static_cast<char>('a' + (index - 26));
    }
    return '#';
}

char reasonLetter(const std::vector<screens::PowerOffChartLayout::Legend>& legends, int reasonId)
{
    for (std::size_t i = 0; i < legends.size(); ++i) {
        if (legends[i].reasonId == reasonId) {
            return legendLetter(i);
        }
    }
    return '?';
}

TextTimeline renderTimeline(const screens::PowerOffChart& chart,
                            const std::vector<screens::PowerOffChartLayout::Legend>& legends, int columns)
{
    TextTimeline timeline;
    if (chart.segments.empty() || !(chart.totalSeconds > 0) || columns < 1) {
        return timeline;
    }
    const auto width = static_cast<std::size_t>(columns);
    const double scale = columns / chart.totalSeconds; // columns per second, as the chart's points per second
    timeline.band.assign(width, '.');
    timeline.marker.assign(width, ' ');

    auto columnOf = [&](double seconds) {
        const double column = std::floor(seconds * scale);
        return static_cast<std::size_t>(std::clamp(column, 0.0, static_cast<double>(width - 1)));
    };
    for (const auto& segment : chart.segments) {
        if (!segment.delay) {
            continue;
        }
        const char letter = reasonLetter(legends, segment.delay->reasonId);
        const double from = segment.startPositionInSeconds * scale;
        const double to = (segment.startPositionInSeconds + segment.durationInSeconds) * scale;
        bool placed = false;
        for (std::size_t c = 0; c < width; ++c) {
            const double middle = c + 0.5;
            if (middle >= from && middle < to) {
                timeline.band[c] = letter;
                if (segment.isSelected) {
                    timeline.marker[c] = '^';
                }
                placed = true;
            }
        }
        if (!placed) {
            const std::size_t c = columnOf(segment.startPositionInSeconds);
            timeline.band[c] = letter;
            if (segment.isSelected) {
                timeline.marker[c] = '^';
            }
        }
    }
    timeline.marker.erase(timeline.marker.find_last_not_of(' ') + 1);
    return timeline;
}

} // namespace orvendel::cli
