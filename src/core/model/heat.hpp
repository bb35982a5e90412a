#pragma once

#include "core/model/delay.hpp"
#include "core/model/zoned_date_time.hpp"

#include <memory>
#include <optional>
#include <vector>

namespace orvendel {

// One heat (melt) of a furnace with its power-off delays in stored order.
struct Heat {
    int furnaceId = 0;
    int heatId = 0;
    int heatNumber = 0;
    ZonedDateTime startDate;
    ZonedDateTime endDate;
    std::optional<std::vector<DelayPtr>> delays;
};

using HeatPtr = std::shared_ptr<Heat>;

} // namespace orvendel
