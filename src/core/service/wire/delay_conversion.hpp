#pragma once

#include "core/model/delay.hpp"
#include "core/service/wire/messages.hpp"

#include <vector>

// From edited delays to the save body. Pure functions; any thread.
namespace orvendel::wire {

// The wire form of one edited delay: dates as text in the delay's own zone, marked edited.
JSON_Delay toWireDelay(const Delay& delay);

// The "data" of a save: the heat and its delays in list order (null entries are skipped).
SaveDelaysParameters saveParameters(int heatId, const std::vector<DelayPtr>& delays);

} // namespace orvendel::wire
