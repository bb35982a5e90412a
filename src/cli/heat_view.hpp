#pragma once

#include "cli/reply.hpp"
#include "core/model/heat.hpp"

#include <optional>

namespace orvendel::cli {

// `show HEAT`: the heat detail as text and data — title, start and end as the chart shows them, legends,
// the timeline at `columns` width with the selected delay marked, the delay time per reason in chart
// order, and the delays as listed. Thread contract: pure, any thread.
void renderHeat(Reply& reply, const Heat& heat, const DelayPtr& selected, int columns);

} // namespace orvendel::cli
