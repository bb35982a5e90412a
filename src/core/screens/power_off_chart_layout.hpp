#pragma once

#include "core/model/heat.hpp"
#include "core/model/texts.hpp"
#include "core/screens/colors.hpp"
#include "core/screens/geometry.hpp"

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace orvendel::screens {

// The power-off chart's rows, legends and time texts; the segments are in power_off_chart.hpp. Label
// sizes come from the toolkit's text measurement. Thread contract: pure functions, any thread.
namespace PowerOffChartLayout {

inline constexpr double inset = 16;
inline constexpr double containersSeparation = 12;
inline constexpr double legendsContainerVerticalSpan = 0.22;
inline constexpr double delaysContainerVerticalSpan = 0.56;
inline constexpr double delayTimesContainerVerticalSpan = 0.22;

inline constexpr const char* startTimeLabel = texts::startTimeLabel;
inline constexpr const char* endTimeLabel = texts::endTimeLabel;
inline constexpr const char* startTimePlaceholder = "00:00:00 AM";
inline constexpr const char* endTimePlaceholder = "00:00:00 PM";

inline Color labelsTextColor()
{
    return Color::fromRgb255(51, 51, 51);
}

// One legend per reason that occurs, in order of first appearance; black when the colour does not parse.
struct Legend {
    int reasonId = 0;
    std::string shortDescription;
    Color color;
};

std::vector<Legend> legends(const Heat& heat);

// Swatch and label frames inside the legends row, from the labels' natural sizes: a circle as high as its
// label, 2 points before the label, 8 points between items. Legends that do not fit `availableWidth` are
// left out from the end and counted by one more label ("+3") of `moreLabelSize` after the last shown: shrunk
// to fit instead, a busy heat's legends became a row of dots.
struct LegendFrames {
    std::vector<Rect> swatches; // one per shown legend
    std::vector<Rect> labels;
    std::size_t hiddenCount = 0;
    Rect moreLabel; // empty when nothing is hidden
    double rowWidth = 0;
};

LegendFrames layoutLegends(const std::vector<Size>& labelSizes, double rowHeight,
                           double availableWidth = std::numeric_limits<double>::infinity(), Size moreLabelSize = {});

// The text that counts the legends left out.
std::string moreLegendsText(std::size_t hiddenCount);

// The three rows of a chart of `width` × `height`. The shadow view sits in the lower three quarters of
// the band container (the raised selected segment uses the free quarter); the segment container fills
// the shadow view.
struct Rows {
    Rect legends;          // centred for the given legends row width
    Rect bandContainer;    // in the chart
    Rect shadowView;       // in the band container
    Rect segmentContainer; // in the shadow view
    Rect timesRow;         // in the chart
};

Rows rows(double width, double height, double legendsRowWidth);

// Start and end of the heat as "MMM dd, HH:mm:ss" in UTC, whatever the heat's own zone.
struct HeatTimes {
    std::string start;
    std::string end;
};

HeatTimes heatTimes(const Heat& heat);

// Labels of the times row, from the natural sizes of the two captions.
struct TimesRowFrames {
    Rect startLabel;
    Rect startValue;
    Rect endLabel;
    Rect endValue;
};

TimesRowFrames layoutTimesRow(double rowWidth, Size startLabelSize, Size endLabelSize);

} // namespace PowerOffChartLayout

} // namespace orvendel::screens
