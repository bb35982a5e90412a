#include "app/controllers/chart_drawing.hpp"

#include <QFontMetricsF>
#include <QGuiApplication>

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
    const QFontMetricsF metrics(font);
    return screens::Size{metrics.horizontalAdvance(text), metrics.height()};
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
