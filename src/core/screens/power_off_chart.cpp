#include "core/screens/power_off_chart.hpp"

#include <algorithm>

namespace orvendel::screens {
namespace {

using namespace std::chrono_literals;

double secondsFrom(Instant from, Instant to)
{
    return std::chrono::duration<double>(to - from).count();
}

Color colorOf(const Delay& delay)
{
    return colorFromComponents(rgbComponents(delay.colorString)).value_or(neutralSegmentColor());
}

ChartSegment gap(Instant chartStart, Instant from, Instant to)
{
    to = std::max(from, to);
    return ChartSegment{
        secondsFrom(chartStart, from), secondsFrom(from, to), neutralSegmentColor(), nullptr, false, {}};
}

void place(ChartSegment& segment, std::optional<Instant> selectedStart, double total, double w, double h)
{
    const double width = w * segment.durationInSeconds / total;
    const double x = w * segment.startPositionInSeconds / total;
    segment.isSelected = segment.delay && selectedStart && segment.delay->startDate.date == *selectedStart;
    Rect frame =
        segment.isSelected ? Rect{x - 0.01 * width, -5 - 0.01 * h, width * 1.02, h * 1.02} : Rect{x, 0, width, h};
    // Whatever the data says (a delay ending before it starts, the enlarged selection at an edge), nothing is
    // drawn outside the band: a segment there would cover, and take the taps of, its neighbours on screen.
    const double left = std::clamp(frame.x, 0.0, w);
    const double right = std::clamp(frame.maxX(), left, w);
    frame.x = left;
    frame.width = right - left;
    segment.frame = frame;
}

} // namespace

Color neutralSegmentColor()
{
    return Color::fromRgb255(208, 208, 208);
}

PowerOffChart buildPowerOffChart(const Heat& heat, std::optional<Instant> selectedStart, double width, double height)
{
    PowerOffChart chart;
    chart.chartStart = heat.startDate.date;
    chart.chartEnd = heat.endDate.date;
    if (!heat.delays) {
        chart.diagnostics.emplace_back("There are no delays");
        chart.totalSeconds = secondsFrom(chart.chartStart, chart.chartEnd);
        return chart;
    }
    std::vector<DelayPtr> delays;
    for (const DelayPtr& delay : *heat.delays) {
        if (delay) {
            delays.push_back(delay);
        }
    }
    // The chart widens to every delay outside the heat, not only the first and the last: plant data is not
    // always in order.
    bool endsAfterHeat = false;
    for (const DelayPtr& delay : delays) {
        chart.chartStart = std::min(chart.chartStart, delay->startDate.date);
        if (delay->endDate.date > chart.chartEnd) {
            chart.chartEnd = delay->endDate.date;
            endsAfterHeat = true;
        }
    }
    if (endsAfterHeat) {
        chart.diagnostics.emplace_back("Delay EndTime is after the Heat Time Finished");
    }
    chart.totalSeconds = secondsFrom(chart.chartStart, chart.chartEnd);
    // Widths are shares of the total; a chart without length has nothing to share.
    if (delays.empty() || !(chart.totalSeconds > 0)) {
        return chart;
    }

    const Instant chartStart = chart.chartStart;
    if (secondsFrom(chartStart, delays.front()->startDate.date) > 1) {
        chart.segments.push_back(gap(chartStart, chartStart, delays.front()->startDate.date - 1s));
    }
    for (std::size_t i = 0; i < delays.size(); ++i) {
        const Delay& delay = *delays[i];
        if (i > 0) {
            const Instant previousEnd = delays[i - 1]->endDate.date;
            // Delays under two seconds apart leave nothing once the one-second margins are taken off.
            if (secondsFrom(previousEnd, delay.startDate.date) > 2) {
                chart.segments.push_back(gap(chartStart, previousEnd + 1s, delay.startDate.date - 1s));
            }
        }
        chart.segments.push_back(ChartSegment{secondsFrom(chartStart, delay.startDate.date),
                                              secondsFrom(delay.startDate.date, delay.endDate.date),
                                              colorOf(delay),
                                              delays[i],
                                              false,
                                              {}});
    }
    const Instant lastEnd = delays.back()->endDate.date;
    if (secondsFrom(lastEnd, chart.chartEnd) > 1) {
        chart.segments.push_back(gap(chartStart, lastEnd + 1s, chart.chartEnd));
    }

    for (ChartSegment& segment : chart.segments) {
        place(segment, selectedStart, chart.totalSeconds, width, height);
    }
    return chart;
}

std::vector<ChartSegment> powerOffSegments(const Heat& heat, std::optional<Instant> selectedStart, double width,
                                           double height)
{
    return buildPowerOffChart(heat, selectedStart, width, height).segments;
}

} // namespace orvendel::screens
