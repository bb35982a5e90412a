#pragma once

#include "core/model/heat.hpp"
#include "core/screens/colors.hpp"
#include "core/screens/geometry.hpp"

#include <optional>
#include <string>
#include <vector>

namespace orvendel::screens {

// One piece of a heat's timeline: a delay, or a neutral gap between delays.
struct ChartSegment {
    double startPositionInSeconds = 0; // from the chart's start
    double durationInSeconds = 0;
    Color color;
    DelayPtr delay; // none for a gap
    bool isSelected = false;
    Rect frame; // in the segment container; the selected segment is raised and slightly enlarged
};

struct PowerOffChart {
    Instant chartStart{};
    Instant chartEnd{};
    double totalSeconds = 0;
    std::vector<ChartSegment> segments;
    // Console lines for the caller's log ("There are no delays", a delay ending after the heat).
    std::vector<std::string> diagnostics;
};

// Colours of the band: a delay takes its reason's colour, a gap (or an unreadable colour) the neutral grey.
Color neutralSegmentColor();

// The timeline of a heat for a segment container of `width` × `height`. The chart spans the heat,
// stretched to any delay starting earlier or ending later; every frame stays inside the container. Gaps of more than
// one second between delays become neutral segments, kept one second clear of the delays on both sides. A chart of zero
// (or negative) length has no segments. Thread contract: pure, any thread.
PowerOffChart buildPowerOffChart(const Heat& heat, std::optional<Instant> selectedStart, double width, double height);

// The segments alone.
std::vector<ChartSegment> powerOffSegments(const Heat& heat, std::optional<Instant> selectedStart, double width,
                                           double height);

} // namespace orvendel::screens
