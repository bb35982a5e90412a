#include "core/screens/colors.hpp"

#include <cctype>

namespace orvendel::screens {

namespace {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

std::optional<Rgb> scanRgb(std::string_view text)
{
    // Accepts exactly what ^rgb\((N)\W+(N)\W+(N)\)$ matches ignoring case, N being 0-255 in one to three
    // digits. Not with std::regex: its matcher recurses once per character of a separator run, so a long
    // colour text from the service overflowed the stack.
    if (text.size() < 4 || std::tolower(static_cast<unsigned char>(text[0])) != 'r' ||
        std::tolower(static_cast<unsigned char>(text[1])) != 'g' ||
        std::tolower(static_cast<unsigned char>(text[2])) != 'b' || text[3] != '(') {
        return std::nullopt;
    }
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isWord = [&](char c) {
        return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    };
    std::size_t pos = 4;
    int values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const std::size_t start = pos;
        while (pos < text.size() && isDigit(text[pos]) && pos - start < 3) {
            values[i] = values[i] * 10 + (text[pos] - '0');
            ++pos;
        }
        if (pos == start || (pos < text.size() && isDigit(text[pos])) || values[i] > 255) {
            return std::nullopt;
        }
        if (i < 2) {
            const std::size_t separator = pos;
            while (pos < text.size() && !isWord(text[pos])) {
                ++pos;
            }
            if (pos == separator) {
                return std::nullopt;
            }
        }
    }
    if (text.substr(pos) != ")") {
        return std::nullopt;
    }
    return Rgb{values[0], values[1], values[2]};
}

} // namespace

std::optional<RgbComponents> rgbComponents(std::string_view text)
{
    const auto rgb = scanRgb(text);
    if (!rgb) {
        return std::nullopt;
    }
    return RgbComponents{{"Red", rgb->red}, {"Green", rgb->green}, {"Blue", rgb->blue}};
}

std::optional<Color> colorFromText(std::string_view text)
{
    const auto rgb = scanRgb(text);
    if (!rgb) {
        return std::nullopt;
    }
    return Color::fromRgb255(rgb->red, rgb->green, rgb->blue);
}

std::optional<Color> colorFromComponents(const std::optional<RgbComponents>& components)
{
    if (!components || !components->contains("Red") || !components->contains("Green") ||
        !components->contains("Blue")) {
        return std::nullopt;
    }
    return Color::fromRgb255(components->at("Red"), components->at("Green"), components->at("Blue"));
}

} // namespace orvendel::screens

namespace orvendel::screens {

bool needsOutline(const Color& color)
{
    // Relative luminance (sRGB weights, close enough without linearising) against the light grey grounds.
    const double luminance = 0.2126 * color.red + 0.7152 * color.green + 0.0722 * color.blue;
    return luminance > 0.85;
}

} // namespace orvendel::screens
