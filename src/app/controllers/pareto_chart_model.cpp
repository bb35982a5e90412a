#include "app/controllers/pareto_chart_model.hpp"

#include "app/controllers/chart_drawing.hpp"

#include <QLineF>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace orvendel::app {

namespace {

constexpr qreal leftMargin = 52;
constexpr qreal rightMargin = 48;
constexpr qreal topMargin = 12;
constexpr qreal bottomMargin = 24;
constexpr qreal labelHeight = 16;
constexpr int scaleSteps = 4;

// A round top for the minutes scale, so that its labels read as whole numbers.
double scaleTop(double largest)
{
    if (largest <= 0) {
        return 10;
    }
    const double raw = largest / scaleSteps;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double step : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (step * magnitude >= raw) {
            return step * magnitude * scaleSteps;
        }
    }
    return 10 * magnitude * scaleSteps;
}

} // namespace

QVariant SlopedLineRow::value(int role) const
{
    switch (role) {
    case 0:
        return from;
    case 1:
        return length;
    default:
        return angle;
    }
}

ParetoChartModel::ParetoChartModel(QObject* parent) : ChartModel(parent)
{
    recompute();
}

void ParetoChartModel::setBars(std::vector<Bar> bars)
{
    m_data = std::move(bars);
    recompute();
}

int ParetoChartModel::barAt(qreal x, qreal y) const
{
    const auto& bars = m_bars.rows();
    for (std::size_t i = 0; i < bars.size(); ++i) {
        // The whole column counts: a short bar is hard to hit.
        const QRectF& bar = bars[i].frame;
        if (x >= bar.left() && x < bar.right() && y >= m_plot.top() && y <= m_plot.bottom() + bottomMargin) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void ParetoChartModel::compute()
{
    m_plot = QRectF(leftMargin, topMargin, std::max(0.0, width() - leftMargin - rightMargin),
                    std::max(0.0, height() - topMargin - bottomMargin));
    const double largest = std::accumulate(m_data.begin(), m_data.end(), 0.0,
                                           [](double top, const Bar& bar) { return std::max(top, bar.minutes); });
    const double top = scaleTop(largest);
    const auto yOfMinutes = [&](double minutes) { return m_plot.bottom() - m_plot.height() * minutes / top; };
    const auto yOfShare = [&](double share) { return m_plot.bottom() - m_plot.height() * share; };

    std::vector<LabelRow> scale;
    for (int step = 0; step <= scaleSteps; ++step) {
        const double minutes = top * step / scaleSteps;
        scale.push_back({QRectF(0, yOfMinutes(minutes) - labelHeight / 2, leftMargin - 6, labelHeight),
                         QString::number(minutes, 'g', 4)});
    }
    scale.push_back({QRectF(m_plot.right() + 4, yOfShare(1) - labelHeight / 2, rightMargin - 4, labelHeight),
                     QStringLiteral("100 %")});
    scale.push_back({QRectF(m_plot.right() + 4, yOfShare(0) - labelHeight / 2, rightMargin - 4, labelHeight),
                     QStringLiteral("0 %")});
    m_scaleLabels.update(std::move(scale));

    const double slot = m_data.empty() ? 0 : m_plot.width() / static_cast<double>(m_data.size());
    const double barWidth = slot * 0.7;
    std::vector<BarRow> bars;
    std::vector<LabelRow> labels;
    std::vector<FrameRow> points;
    std::vector<QPointF> corners;
    bars.reserve(m_data.size());
    for (std::size_t i = 0; i < m_data.size(); ++i) {
        const Bar& bar = m_data[i];
        const double left = m_plot.left() + slot * static_cast<double>(i) + (slot - barWidth) / 2;
        const double y = yOfMinutes(bar.minutes);
        // A white reason would vanish on the light ground.
        const bool outlined = bar.fill.lightnessF() > 0.9;
        bars.push_back({QRectF(left, y, barWidth, m_plot.bottom() - y), bar.fill, outlined, {}, {}});
        labels.push_back(
            {QRectF(m_plot.left() + slot * static_cast<double>(i), m_plot.bottom() + 4, slot, labelHeight), bar.label});
        const QPointF corner(left + barWidth / 2, yOfShare(std::clamp(bar.cumulativeShare, 0.0, 1.0)));
        corners.push_back(corner);
        points.push_back({QRectF(corner.x() - 3, corner.y() - 3, 6, 6)});
    }
    std::vector<SlopedLineRow> line;
    for (std::size_t i = 1; i < corners.size(); ++i) {
        const QLineF segment(corners[i - 1], corners[i]);
        line.push_back({corners[i - 1], segment.length(), -segment.angle()});
    }
    m_bars.update(std::move(bars));
    m_barLabels.update(std::move(labels));
    m_points.update(std::move(points));
    m_line.update(std::move(line));
    m_mark = QRectF(m_plot.left(), std::floor(yOfShare(0.8)), m_plot.width(), 1);
    m_markLabel = QRectF(m_plot.right() + 4, yOfShare(0.8) - labelHeight / 2, rightMargin - 4, labelHeight);
}

} // namespace orvendel::app
