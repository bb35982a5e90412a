#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace orvendel::screens {

// An opaque colour with components in 0…1.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static Color fromRgb255(int r, int g, int b) { return Color{r / 255.0, g / 255.0, b / 255.0, 1.0}; }
    friend bool operator==(const Color&, const Color&) = default;
};

using RgbComponents = std::map<std::string, int>;

// "rgb(r, g, b)" (any case, any non-word separators) → {"Red", "Green", "Blue"}; none otherwise.
// Thread contract: any thread.
std::optional<RgbComponents> rgbComponents(std::string_view text);
std::optional<Color> colorFromComponents(const std::optional<RgbComponents>& components);
// The same as colorFromComponents(rgbComponents(text)) without building the components, for tables that
// colour many rows.
std::optional<Color> colorFromText(std::string_view text);

// Whether a colour is too light to be told from the charts' light ground without an outline ("rgb(255,
// 255, 255)" is a colour plants really give a reason).
bool needsOutline(const Color& color);

// The fixed interface colours. The core draws nothing, but every front end paints its screens with these
// exact values, so they are kept here once under the palette's own name rather than repeated per front end.
namespace ColorPalette {
inline Color commentEditorBackground()
{
    return Color::fromRgb255(224, 224, 224);
}
inline Color applicationShell()
{
    return Color::fromRgb255(10, 51, 83);
}
inline Color splitSlider()
{
    return Color::fromRgb255(10, 110, 209);
}
inline Color sectionHeaderDark()
{
    return Color::fromRgb255(55, 78, 117);
}
inline Color sectionHeaderLight()
{
    return Color::fromRgb255(120, 133, 161);
}
inline Color sectionHeaderAlert()
{
    return Color::fromRgb255(232, 65, 24);
}
} // namespace ColorPalette

} // namespace orvendel::screens
