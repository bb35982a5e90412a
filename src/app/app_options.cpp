#include "app/app_options.hpp"

#include <string_view>

namespace orvendel::app {

std::string appUsageText()
{
    return "usage: orvendel [--service-url URL] [--update-check-url URL] [--data-dir DIR] [--log FILE]\n"
           "                [--exit-after-first-frame]\n"
           "\n"
           "options:\n" +
           shared_options::usage(22) +
           "  --exit-after-first-frame\n"
           "                      start-up check: show the window, print \"first-frame KB\" (the resident memory)\n"
           "                      once its first frame is drawn, and exit\n"
           "  --help              this text\n";
}

namespace {

// Qt's own options that take a value; Qt reads them itself.
bool isQtOptionWithValue(std::string_view argument)
{
    static constexpr std::string_view withValue[] = {"-platform",        "-platformpluginpath",
                                                     "-platformtheme",   "-plugin",
                                                     "-qwindowgeometry", "-qwindowicon",
                                                     "-qwindowtitle",    "-style",
                                                     "-stylesheet",      "-display",
                                                     "-geometry",        "-title",
                                                     "-session",         "-name"};
    for (const auto option : withValue) {
        if (argument == option) {
            return true;
        }
    }
    return false;
}

} // namespace

Result<AppOptions> parseAppOptions(const std::vector<std::string>& arguments)
{
    AppOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (argument.size() > 1 && argument[0] == '-' && argument[1] != '-' && argument != "-h") {
            if (isQtOptionWithValue(argument)) {
                ++i;
            }
            continue;
        }
        std::optional<std::string> inlineValue;
        if (const auto equals = argument.find('='); argument.starts_with("--") && equals != std::string::npos) {
            inlineValue = argument.substr(equals + 1);
            argument.resize(equals);
        }
        const auto value = [&]() -> std::optional<std::string> {
            if (!inlineValue && i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return inlineValue;
        };
        auto shared = shared_options::take(argument, value, options.shared);
        if (!shared) {
            return shared.error();
        }
        if (*shared) {
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--exit-after-first-frame" && !inlineValue) {
            options.exitAfterFirstFrame = true;
        } else {
            return Error{usage_error::domain, usage_error::unknownOption, "unknown option: " + arguments[i]};
        }
    }
    return options;
}

} // namespace orvendel::app
