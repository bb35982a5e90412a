#include "core/screens/colors.hpp"

#include <regex>

namespace orvendel::screens {

std::optional<RgbComponents> rgbComponents(std::string_view text)
{
    static const std::regex pattern(
        R"(^rgb\(([01]?\d\d?|2[0-4]\d|25[0-5])\W+([01]?\d\d?|2[0-4]\d|25[0-5])\W+([01]?\d\d?|2[0-4]\d|25[0-5])\)$)",
        std::regex::icase | std::regex::ECMAScript);
    std::match_results<std::string_view::const_iterator> match;
    if (!std::regex_match(text.begin(), text.end(), match, pattern) || match.size() != 4) {
        return std::nullopt;
    }
    RgbComponents components;
    components["Red"] = std::stoi(match[1].str());
    components["Green"] = std::stoi(match[2].str());
    components["Blue"] = std::stoi(match[3].str());
    return components;
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
