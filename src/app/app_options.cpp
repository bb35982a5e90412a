#include "app/app_options.hpp"

#include "core/service/service_address.hpp"
#include "core/service/update_check.hpp"

namespace orvendel::app {

std::string appUsageText()
{
    return "usage: orvendel [--service-url URL] [--update-check-url URL] [--data-dir DIR] [--exit-after-first-frame]\n"
           "\n"
           "options:\n"
           "  --service-url URL   the delay service (default: $ORVENDEL_SERVICE_URL, else service-url in\n"
           "                      ~/.config/orvendel/orvendel.conf, else in /etc/orvendel/orvendel.conf, else\n"
           "                      " +
           std::string(ServiceAddress::defaultBaseURL) +
           ")\n"
           "  --update-check-url URL\n"
           "                      the store search of the update check (default: $ORVENDEL_STORE_SEARCH_URL,\n"
           "                      else update-check-url in the same files, else no check)\n"
           "  --data-dir DIR      the folder of the users' local data (default: $ORVENDEL_DATA_DIR, else\n"
           "                      $XDG_DATA_HOME/orvendel, else ~/.local/share/orvendel)\n"
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

ParsedAppOptions parseAppOptions(const std::vector<std::string>& arguments)
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
        std::optional<std::string> value;
        if (const auto equals = argument.find('='); argument.starts_with("--") && equals != std::string::npos) {
            value = argument.substr(equals + 1);
            argument.resize(equals);
        }
        const auto takeValue = [&]() -> bool {
            if (!value && i + 1 < arguments.size()) {
                value = arguments[++i];
            }
            return value.has_value() && !value->empty();
        };
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--exit-after-first-frame" && !value) {
            options.exitAfterFirstFrame = true;
        } else if (argument == "--service-url") {
            if (!takeValue()) {
                return {std::nullopt, "--service-url needs a URL"};
            }
            if (const auto problem = ServiceAddress::baseURLProblem(*value)) {
                return {std::nullopt, "--service-url: " + *problem};
            }
            options.serviceURL = *value;
        } else if (argument == "--update-check-url") {
            if (!takeValue()) {
                return {std::nullopt, "--update-check-url needs an http:// or https:// address with a host"};
            }
            if (const auto problem = update_check::storeSearchURLProblem(*value)) {
                return {std::nullopt, "--update-check-url: " + *problem};
            }
            options.updateCheckURL = *value;
        } else if (argument == "--data-dir") {
            if (!takeValue()) {
                return {std::nullopt, "--data-dir needs a folder"};
            }
            options.applicationSupportDirectory = std::filesystem::path(*value);
        } else {
            return {std::nullopt, "unknown option: " + arguments[i]};
        }
    }
    return {options, {}};
}

} // namespace orvendel::app
