#include "core/screens/power_off_chart_layout.hpp"

#include "core/model/utilities.hpp"

#include <algorithm>
#include <set>

namespace orvendel::screens::PowerOffChartLayout {

std::vector<Legend> legends(const Heat& heat)
{
    std::vector<Legend> out;
    if (!heat.delays) {
        return out;
    }
    std::set<int> shown;
    for (const DelayPtr& delay : *heat.delays) {
        if (!delay || !shown.insert(delay->reasonId).second) {
            continue;
        }
        const Color color = colorFromComponents(rgbComponents(delay->colorString)).value_or(Color{0, 0, 0, 1});
        out.push_back(Legend{delay->reasonId, delay->reasonShortDescription, color});
    }
    return out;
}

LegendFrames layoutLegends(const std::vector<Size>& labelSizes, double rowHeight, double availableWidth,
                           Size moreLabelSize)
{
    LegendFrames frames;
    double x = 0;
    std::vector<double> endOfItem; // the row's width with the first i + 1 items
    for (const Size& label : labelSizes) {
        const double side = label.height;
        frames.swatches.push_back(Rect{x, rowHeight / 2 - side / 2, side, side});
        x += side + 2;
        frames.labels.push_back(Rect{x, rowHeight / 2 - label.height / 2, label.width, label.height});
        x += label.width;
        endOfItem.push_back(x);
        x += 8;
    }
    frames.rowWidth = endOfItem.empty() ? 0 : endOfItem.back();
    if (frames.rowWidth <= availableWidth) {
        return frames;
    }
    std::size_t shown = endOfItem.size();
    const double moreWidth = moreLabelSize.width;
    while (shown > 0 && endOfItem[shown - 1] + 8 + moreWidth > availableWidth) {
        --shown;
    }
    frames.swatches.resize(shown);
    frames.labels.resize(shown);
    frames.hiddenCount = labelSizes.size() - shown;
    const double moreX = shown > 0 ? endOfItem[shown - 1] + 8 : 0;
    frames.moreLabel = Rect{moreX, rowHeight / 2 - moreLabelSize.height / 2, moreLabelSize.width, moreLabelSize.height};
    frames.rowWidth = frames.moreLabel.maxX();
    return frames;
}

std::string moreLegendsText(std::size_t hiddenCount)
{
    return "+" + std::to_string(hiddenCount);
}

Rows rows(double width, double height, double legendsRowWidth)
{
    const double usable = std::max(0.0, height - 2 * inset - 2 * containersSeparation);
    const double innerWidth = std::max(0.0, width - 2 * inset);
    const double legendsHeight = usable * legendsContainerVerticalSpan;
    const double bandHeight = usable * delaysContainerVerticalSpan;

    Rows r;
    r.legends = Rect{inset + (innerWidth - legendsRowWidth) / 2, inset, legendsRowWidth, legendsHeight};
    r.bandContainer = Rect{inset, r.legends.maxY() + containersSeparation, innerWidth, bandHeight};
    r.shadowView = Rect{0, bandHeight - 0.75 * bandHeight, innerWidth, 0.75 * bandHeight};
    r.segmentContainer = Rect{0, 0, r.shadowView.width, r.shadowView.height};
    r.timesRow = Rect{inset, r.bandContainer.maxY() + containersSeparation, innerWidth,
                      usable * delayTimesContainerVerticalSpan};
    return r;
}

HeatTimes heatTimes(const Heat& heat)
{
    constexpr const char* pattern = "MMM dd, HH:mm:ss";
    return HeatTimes{Utilities::formatDate(heat.startDate.date, pattern).value_or(""),
                     Utilities::formatDate(heat.endDate.date, pattern).value_or("")};
}

TimesRowFrames layoutTimesRow(double rowWidth, Size startLabelSize, Size endLabelSize)
{
    TimesRowFrames f;
    f.startLabel = Rect{0, 0, startLabelSize.width, startLabelSize.height};
    f.endLabel = Rect{rowWidth / 2, 0, endLabelSize.width, endLabelSize.height};
    const double startValueX = f.startLabel.maxX() + 4;
    f.startValue = Rect{startValueX, 0, std::max(0.0, f.endLabel.x - startValueX), startLabelSize.height};
    const double endValueX = f.endLabel.maxX() + 4;
    f.endValue = Rect{endValueX, 0, std::max(0.0, rowWidth - endValueX), endLabelSize.height};
    return f;
}

} // namespace orvendel::screens::PowerOffChartLayout
