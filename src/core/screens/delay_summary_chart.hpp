#pragma once

#include "core/model/heat.hpp"
#include "core/screens/colors.hpp"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::screens {

// One bar of the delay summary: the share of the heat's duration, in percent, that delays of one reason
// took. Name and colour come from the reason's first delay.
struct VarVal {
    std::string variableName;
    int variableId = 0;
    double variableValue = 0;
    std::optional<Color> variableColor;
};

// Per-reason sums, largest first (equal sums keep the order of first appearance). None when the heat has
// no delay list or no positive length — the chart then keeps only its axes and grid, never dividing by
// zero. Thread contract: pure, any thread.
std::optional<std::vector<VarVal>> delaySummary(const Heat& heat);

// The console lines listing the sorted sums.
std::vector<std::string> delaySummaryLogLines(const std::vector<VarVal>& summary);

// The largest sum, 0 for none.
double largestValue(const std::vector<VarVal>& summary);

// The x scale: nine steps of a round size (a whole number or a half) that reach the largest value.
// `fullScale` is 0 when there is nothing to draw; the labels then read 0.0 … 0.9.
struct BarScale {
    double step = 0;
    double fullScale = 0;
    std::array<std::string, 10> labels;
};

BarScale barScale(double largest);

// "%.2f" of a bar's value.
std::string barValueText(double value);

} // namespace orvendel::screens
