#pragma once

#include "core/screens/power_off_chart.hpp"
#include "core/screens/power_off_chart_layout.hpp"

#include <string>
#include <vector>

namespace orvendel::cli {

// The power-off chart as one line of text: a letter per reason (the legend's order: A, B, …), "." for the
// time between delays, and a second line with "^" under the selected delay.
struct TextTimeline {
    std::string band;
    std::string marker; // blank when nothing is selected
};

// The letter of the legend at `index`: A–Z, then a–z, then "#".
char legendLetter(std::size_t index);
// The legend letter of a reason; "?" when the reason has no legend.
char reasonLetter(const std::vector<screens::PowerOffChartLayout::Legend>& legends, int reasonId);

// Columns follow the chart's geometry for a band `columns` wide: a column shows the delay covering its
// middle, and a delay too short to cover any middle still gets the column it starts in. A chart without
// segments (no delays, or no length) gives empty lines. Thread contract: pure, any thread.
TextTimeline renderTimeline(const screens::PowerOffChart& chart,
                            const std::vector<screens::PowerOffChartLayout::Legend>& legends, int columns);

} // namespace orvendel::cli
