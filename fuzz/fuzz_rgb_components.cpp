#include "fuzz_support.hpp"

#include "core/screens/colors.hpp"

#include <regex>

// Reason colours are free text from the service. The parser must accept exactly what the colour pattern
// matches; std::regex is the reference on texts short enough for its recursive matcher.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvendel;
    const auto text = fuzz::text(data, size);
    const auto components = screens::rgbComponents(text);
    if (size <= 256) {
        static const std::regex pattern(
            R"(^rgb\(([01]?\d\d?|2[0-4]\d|25[0-5])\W+([01]?\d\d?|2[0-4]\d|25[0-5])\W+([01]?\d\d?|2[0-4]\d|25[0-5])\)$)",
            std::regex::icase | std::regex::ECMAScript);
        std::match_results<std::string_view::const_iterator> match;
        const bool matches = std::regex_match(text.begin(), text.end(), match, pattern);
        fuzz::require(matches == components.has_value(), "the parser and the colour pattern disagree");
        if (matches) {
            fuzz::require(*components == screens::RgbComponents{{"Red", std::stoi(match[1].str())},
                                                                {"Green", std::stoi(match[2].str())},
                                                                {"Blue", std::stoi(match[3].str())}},
                          "the parser and the colour pattern read different numbers");
        }
    }
    if (!components) {
        return 0;
    }
    const auto color = screens::colorFromComponents(components);
    fuzz::require(color.has_value(), "three components without a colour");
    fuzz::require(color->red >= 0 && color->red <= 1 && color->green >= 0 && color->green <= 1 && color->blue >= 0 &&
                      color->blue <= 1,
                  "a component out of 0...1");
    return 0;
}
