#pragma once

#include "cli/reply.hpp"
#include "core/model/furnace.hpp"
#include "core/model/heat.hpp"
#include "core/model/reason.hpp"
#include "core/screens/heat_sections.hpp"

#include <optional>
#include <vector>

namespace orvendel::cli {

// The lists as text and data. Thread contract: pure functions, any thread.

// The heats list: the furnace's name, then per heat its header and its delays as rows named HEAT/N.
void renderHeatsList(Reply& reply, const std::optional<Furnace>& furnace,
                     const std::optional<std::vector<screens::Section>>& sections, const std::vector<HeatPtr>& heats);

// The furnace selection list, the selected furnace checked.
void renderFurnaces(Reply& reply, const std::vector<Furnace>& furnaces, int selectedFurnaceId);

// The reason tree as the finder builds it, every category open and indented by level; category nodes (no
// id) show "-". Reasons the tree does not reach are not listed.
void renderReasons(Reply& reply, const std::vector<Reason>& reasons);

// The edit store's entries in store order, named by heat number where the heat is listed.
// `restored`: the edits a previous run left unsaved, marked "restored".
void renderEdits(Reply& reply, const std::vector<DelayPtr>& edits, const std::vector<HeatPtr>& heats,
                 const std::vector<DelayPtr>& restored = {});

} // namespace orvendel::cli
