#pragma once

#include "core/screens/colors.hpp"
#include "core/screens/geometry.hpp"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QVariantMap>

namespace orvendel::app::ChartDrawing {

// The charts' labels: the application's font at 12 pixels, as the QML texts draw it without a family.
QFont labelFont(bool bold = false);
// A single line's natural size in that font, as a QML Text lays it out.
screens::Size naturalSize(const QString& text, const QFont& font);

QColor toQColor(const screens::Color& color);
QRectF toQRectF(const screens::Rect& rect);

} // namespace orvendel::app::ChartDrawing
