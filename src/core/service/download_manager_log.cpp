#include "core/service/download_manager_log.hpp"

#include "core/support/log.hpp"

#include <string>

namespace orvendel {

void logDownloadManager(std::optional<std::string_view> text)
{
    std::string line = "Download Manager - ";
    line += text ? *text : std::string_view("null string");
    log(line);
}

} // namespace orvendel
