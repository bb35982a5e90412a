#include "app/controllers/chart_drawing.hpp"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>

#include <algorithm>
#include <vector>

namespace orvendel::app::ChartDrawing {

QFont labelFont(bool bold)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(12);
    font.setBold(bold);
    return font;
}

screens::Size naturalSize(const QString& text, const QFont& font)
{
    // The same few captions are measured on every edit (legends, times, bar labels): shaping them anew cost a
    // sixth of a chart's update. Kept per font and text; the charts use two fonts and a heat's reasons.
    struct Measured {
        QFont font;
        QHash<QString, screens::Size> sizes;
    };
    static thread_local std::vector<Measured> cache;
    auto found = std::find_if(cache.begin(), cache.end(), [&](const Measured& m) { return m.font == font; });
    if (found == cache.end()) {
        found = cache.insert(cache.end(), Measured{font, {}});
    }
    if (const auto known = found->sizes.constFind(text); known != found->sizes.constEnd()) {
        return *known;
    }
    if (found->sizes.size() >= 512) {
        found->sizes.clear();
    }
    const QFontMetricsF metrics(font);
    const screens::Size size{metrics.horizontalAdvance(text), metrics.height()};
    found->sizes.insert(text, size);
    return size;
}

QColor toQColor(const screens::Color& color)
{
    return QColor::fromRgbF(static_cast<float>(color.red), static_cast<float>(color.green),
                            static_cast<float>(color.blue), static_cast<float>(color.alpha));
}

QRectF toQRectF(const screens::Rect& rect)
{
    return QRectF(rect.x, rect.y, rect.width, rect.height);
}

} // namespace orvendel::app::ChartDrawing
