#pragma once

#include "core/screens/geometry.hpp"

namespace orvendel::screens {

// Frames of the heat detail column and of its upper part. Thread contract: pure functions, any thread.
namespace HeatDetailLayout {

// The column below its bar: the upper part (title and charts), the delay pages and the save button, which
// takes no height while automatic saving is on. Frames are rounded outward to whole points.
struct Column {
    Rect upperPart;
    Rect delayPages;
    Rect saveButton;
};

Column column(double width, double height, bool autoSaveEnabled);

// Inside the upper part: the heat's title, the power-off chart on the left half and the bar chart on the
// right half.
struct UpperPart {
    Rect title;
    Rect powerOffChart;
    Rect barChart;
};

UpperPart upperPart(double width, double height);

// Rounds a frame outward to whole points: the origin down, the far edges up.
Rect integral(const Rect& rect);

} // namespace HeatDetailLayout

} // namespace orvendel::screens
