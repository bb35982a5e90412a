#pragma once

#include "core/model/delay.hpp"
#include "core/model/furnace.hpp"
#include "core/model/heat.hpp"
#include "core/model/reason.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace orvendel::cli {

// The records as --json prints them. Thread contract: pure, any thread.

// "1042/3": how a delay is named in commands.
std::string delayRefText(int heatNumber, std::size_t position);
// Whole seconds from the delay's start to its end.
long long durationSeconds(const Delay& delay);
// The delay's start and end as the clock shows them in the delay's own zone, "HH:mm:ss".
std::string clockText(const ZonedDateTime& value);

nlohmann::ordered_json delayJson(const Delay& delay, int heatNumber, std::size_t position);
// With `withDelays`, the heat's delays as listed (1-based positions).
nlohmann::ordered_json heatJson(const Heat& heat, bool withDelays = true);
nlohmann::ordered_json furnaceJson(const Furnace& furnace);
nlohmann::ordered_json reasonJson(const Reason& reason);

} // namespace orvendel::cli
