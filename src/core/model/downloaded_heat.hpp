#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvendel {

// One delay of a downloaded heat as the local store keeps it. Dates stay the texts the service sent: the
// store compares them as SQLite dates, and reading them back is where they are parsed.
struct DownloadedDelay {
    std::optional<int> delayId;
    int reasonId = 0;
    std::string reasonDescription;
    std::string startDate;
    std::string endDate;
    std::string timestamp;
    std::optional<std::string> comment;
};

// One heat of a delays download, in reply order, with its delays in reply order.
struct DownloadedHeat {
    int heatId = 0;
    int heatNumber = 0;
    std::string startDate;
    std::string endDate;
    std::vector<DownloadedDelay> delays;
};

} // namespace orvendel
