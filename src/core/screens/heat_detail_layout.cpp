#include "core/screens/heat_detail_layout.hpp"

#include <cmath>

namespace orvendel::screens::HeatDetailLayout {

Rect integral(const Rect& rect)
{
    const double x = std::floor(rect.x);
    const double y = std::floor(rect.y);
    return Rect{x, y, std::ceil(rect.maxX()) - x, std::ceil(rect.maxY()) - y};
}

Column column(double width, double height, bool autoSaveEnabled)
{
    // 30 points go to the margins: 10 above, 10 between the upper part and the pages, 10 below.
    const double usable = height - 30;
    const double upperShare = autoSaveEnabled ? 0.31 : 0.29;
    const double pagesShare = autoSaveEnabled ? 0.69 : 0.65;
    const double buttonShare = autoSaveEnabled ? 0 : 0.06;

    Column result;
    result.upperPart = integral(Rect{10, 10, width - 20, usable * upperShare});
    result.delayPages = integral(Rect{0, result.upperPart.maxY() + 10, width, usable * pagesShare});
    result.saveButton = integral(Rect{10, result.delayPages.maxY(), width - 20, usable * buttonShare});
    return result;
}

UpperPart upperPart(double width, double height)
{
    const double inner = height - 16;
    UpperPart result;
    result.title = Rect{16, 16, width - 32, inner * 0.2};
    const double chartsY = result.title.maxY() + inner * 0.05;
    result.powerOffChart = Rect{0, chartsY, width * 0.5, inner * 0.75};
    result.barChart = Rect{width * 0.5, chartsY, width * 0.5, inner * 0.75};
    return result;
}

} // namespace orvendel::screens::HeatDetailLayout
