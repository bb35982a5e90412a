#pragma once

#include "core/model/heat.hpp"
#include "core/screens/heat_sections.hpp"

#include <cstddef>
#include <optional>
#include <vector>

namespace orvendel::screens {

// The heat and delay the user last selected. Instants compare exactly.
struct HeatDelayIdentifier {
    int heatId = 0;
    Instant delayStartDate{};
    friend bool operator==(const HeatDelayIdentifier&, const HeatDelayIdentifier&) = default;
};

struct RowPosition {
    std::size_t section = 0;
    std::size_t row = 0;
    friend bool operator==(const RowPosition&, const RowPosition&) = default;
};

// Thread contract for everything below: pure functions, any thread.

HeatPtr findHeat(const std::vector<HeatPtr>& heats, int heatId);

// After a rebuild: a selection whose delay no longer starts at the selected instant (a split or an update
// moved it) moves to the delay of that heat whose start is nearest; on equal distance the earlier one in
// the list wins. Unchanged when nothing is selected, the heat is gone or it has no delays.
std::optional<HeatDelayIdentifier> repairSelection(const std::optional<HeatDelayIdentifier>& selected,
                                                   const std::vector<HeatPtr>& heats);

// The delay the heat detail shows for a selected instant: the first starting at it, else the first delay;
// none when the heat has no delays.
DelayPtr delayToShow(const Heat& heat, Instant selectedStart);

// The row of a delay: the section of the heat, the first item starting at the instant.
std::optional<RowPosition> indexPathOfDelay(const std::vector<Section>& sections, int heatId, Instant startDate);

} // namespace orvendel::screens
