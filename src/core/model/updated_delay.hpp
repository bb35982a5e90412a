#pragma once

#include <optional>
#include <string>

namespace orvendel {

// The service's status of one delay, kept exactly as received.
struct UpdatedDelay {
    std::optional<int> delayId;
    std::optional<int> reasonId;
    std::optional<int> furnaceId;
    std::optional<int> heatId;
    std::optional<std::string> startDate;
    std::optional<std::string> endDate;
    std::optional<std::string> color;
    std::optional<float> timeStamp;
    std::optional<std::string> status;
};

} // namespace orvendel
