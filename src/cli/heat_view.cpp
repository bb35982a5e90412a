#include "cli/heat_view.hpp"

#include "cli/records_json.hpp"
#include "cli/text_table.hpp"
#include "cli/timeline.hpp"
#include "core/screens/delay_summary_chart.hpp"
#include "core/screens/heat_sections.hpp"
#include "core/screens/power_off_chart.hpp"
#include "core/screens/power_off_chart_layout.hpp"

#include <fmt/format.h>

#include <cmath>

namespace orvendel::cli {
namespace {

namespace layout = screens::PowerOffChartLayout;

std::string colorHex(const screens::Color& color)
{
    auto component = [](double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255)); };
    return fmt::format("#{:02X}{:02X}{:02X}", component(color.red), component(color.green), component(color.blue));
}

std::string markers(const Delay& delay)
{
    std::string text;
    if (delay.isEdited) {
        text += "*";
    }
    if (delay.reasonId == 0) {
        text += "?";
    }
    return text;
}

} // namespace

void renderHeat(Reply& reply, const Heat& heat, const DelayPtr& selected, int columns)
{
    const auto times = layout::heatTimes(heat);
    const auto legends = layout::legends(heat);
    const int bandColumns = std::max(10, columns - 2);
    const auto chart = screens::buildPowerOffChart(
        heat, selected ? std::optional<Instant>(selected->startDate.date) : std::nullopt, bandColumns, 1);
    const auto timeline = renderTimeline(chart, legends, bandColumns);
    const auto summary = screens::delaySummary(heat);

    auto& lines = reply.lines;
    lines.push_back(fmt::format("Heat {}", heat.heatNumber));
    lines.push_back(
        fmt::format("{} {}   {} {}   (UTC)", layout::startTimeLabel, times.start, layout::endTimeLabel, times.end));
    std::string legendLine;
    auto legendsJson = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < legends.size(); ++i) {
        legendLine += fmt::format("{}{} {}", i == 0 ? "" : "   ", legendLetter(i), legends[i].shortDescription);
        legendsJson.push_back({{"letter", std::string(1, legendLetter(i))},
                               {"reasonId", legends[i].reasonId},
                               {"shortDescription", legends[i].shortDescription},
                               {"color", colorHex(legends[i].color)}});
    }
    if (!legendLine.empty()) {
        lines.push_back("Legend: " + legendLine);
    }
    if (timeline.band.empty()) {
        lines.push_back("(no timeline: the heat has no delays or no length)");
    } else {
        lines.push_back("|" + timeline.band + "|");
        if (!timeline.marker.empty()) {
            lines.push_back(" " + timeline.marker);
        }
    }

    auto summaryJson = nlohmann::ordered_json::array();
    if (summary && !summary->empty()) {
        lines.push_back("Delay time per reason (% of the heat):");
        TextTable table({1});
        for (const auto& entry : *summary) {
            table.addRow({entry.variableName, screens::barValueText(entry.variableValue)});
            summaryJson.push_back({{"reasonId", entry.variableId},
                                   {"name", entry.variableName},
                                   {"percent", entry.variableValue},
                                   {"text", screens::barValueText(entry.variableValue)}});
        }
        for (auto& line : table.lines("  ")) {
            lines.push_back(std::move(line));
        }
    }

    lines.push_back("Delays:");
    TextTable table({2});
    if (heat.delays) {
        std::size_t position = 0;
        for (const auto& delay : *heat.delays) {
            if (!delay) {
                continue;
            }
            ++position;
            const bool isSelected = delay == selected;
            table.addRow({fmt::format("{}{}", isSelected ? "> " : "  ", delayRefText(heat.heatNumber, position)),
                          clockText(delay->startDate) + "-" + clockText(delay->endDate),
                          fmt::format("{:.1f} min", durationSeconds(*delay) / 60.0), markers(*delay),
                          std::string(1, reasonLetter(legends, delay->reasonId)),
                          fmt::format("{} {}", delay->reasonId, delay->reasonDescription),
                          delay->comment ? fmt::format("\"{}\"", *delay->comment) : std::string()});
        }
    }
    if (table.empty()) {
        lines.push_back("  (none)");
    }
    for (auto& line : table.lines()) {
        lines.push_back(std::move(line));
    }

    auto& data = reply.data;
    data["heat"] = heatJson(heat);
    data["chart"] = nlohmann::ordered_json{
        {"start", times.start},      {"end", times.end},          {"legends", std::move(legendsJson)},
        {"timeline", timeline.band}, {"marker", timeline.marker}, {"summary", std::move(summaryJson)}};
    if (selected) {
        data["selected"] = selected->startDate.text();
    }
}

} // namespace orvendel::cli
