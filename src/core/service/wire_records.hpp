#pragma once

#include "core/model/downloaded_heat.hpp"
#include "core/model/reason.hpp"
#include "core/service/wire/messages.hpp"

#include <vector>

// From the service's replies to the records the local store keeps. Pure functions; any thread.
namespace orvendel::wire_records {

// The reason tree flattened depth-first in pre-order: each node followed by its children, each child naming
// its parent's category. A top-level node has no parent.
std::vector<Reason> reasonRows(const std::vector<wire::JSON_Reason>& topLevel);

// The heats with their delays, texts moved over unchanged; a heat whose delays are null has none.
std::vector<DownloadedHeat> downloadedHeats(std::vector<wire::JSON_Heat> heats);

} // namespace orvendel::wire_records
