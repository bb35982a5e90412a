#include "core/screens/delay_summary_chart.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace orvendel::screens {

std::optional<std::vector<VarVal>> delaySummary(const Heat& heat)
{
    if (!heat.delays) {
        return std::nullopt;
    }
    const double heatLength = std::chrono::duration<double>(heat.endDate.date - heat.startDate.date).count();
    if (!(heatLength > 0)) {
        return std::nullopt;
    }
    std::vector<VarVal> summary;
    for (const DelayPtr& delay : *heat.delays) {
        if (!delay) {
            continue;
        }
        const double share =
            std::chrono::duration<double>(delay->endDate.date - delay->startDate.date).count() / heatLength * 100;
        const auto existing = std::find_if(summary.begin(), summary.end(),
                                           [&](const VarVal& v) { return v.variableId == delay->reasonId; });
        if (existing != summary.end()) {
            existing->variableValue += share;
            continue;
        }
        const Color color = colorFromComponents(rgbComponents(delay->colorString)).value_or(Color{0, 0, 0, 1});
        summary.push_back(VarVal{delay->reasonShortDescription, delay->reasonId, share, color});
    }
    std::stable_sort(summary.begin(), summary.end(),
                     [](const VarVal& a, const VarVal& b) { return a.variableValue > b.variableValue; });
    return summary;
}

std::vector<std::string> delaySummaryLogLines(const std::vector<VarVal>& summary)
{
    std::vector<std::string> lines;
    lines.reserve(summary.size() + 2);
    lines.emplace_back("-------- SORTED SUMMARIZED DELAYS ----------");
    for (const VarVal& entry : summary) {
        lines.push_back(fmt::format("VarVal - {} - {}", entry.variableName, entry.variableId));
    }
    lines.emplace_back("--------------------------------------------");
    return lines;
}

double largestValue(const std::vector<VarVal>& summary)
{
    double largest = 0;
    for (const VarVal& entry : summary) {
        largest = std::max(largest, entry.variableValue);
    }
    return largest;
}

BarScale barScale(double largest)
{
    BarScale scale;
    for (std::size_t k = 0; k < scale.labels.size(); ++k) {
        scale.labels[k] = fmt::format("{:.1f}", static_cast<double>(k) / 10);
    }
    if (!(largest > 0) || !std::isfinite(largest)) {
        return scale;
    }
    // The largest value is a sum of shares, so a value that is exactly a half step on paper (4.5, 13.5)
    // can arrive a rounding error above it; snap q so that such a value keeps its half step.
    const double q = std::round(largest / 9 * 1e9) / 1e9;
    const double whole = std::floor(q);
    const double fraction = q - whole;
    scale.step = whole + (fraction > 0.5 ? 1.0 : fraction > 0 ? 0.5 : 0.0);
    scale.fullScale = 9 * scale.step;
    for (std::size_t k = 0; k < scale.labels.size(); ++k) {
        const double value = static_cast<double>(k) * scale.step;
        scale.labels[k] = value == std::floor(value) ? fmt::format("{}", static_cast<long long>(value))
                                                     : fmt::format("{:.1f}", value);
    }
    return scale;
}

std::string barValueText(double value)
{
    return fmt::format("{:.2f}", value);
}

} // namespace orvendel::screens
