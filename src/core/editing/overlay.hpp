#pragma once

#include "core/model/delay.hpp"

#include <vector>

namespace orvendel {

// What a heat's list shows: its stored delays with the unsaved edits laid over them.
struct OverlayResult {
    std::vector<DelayPtr> delays;       // merged, stable-sorted by start instant
    bool editedDelaysRemoved = false;   // some edit was stale (the service holds a newer version)
    std::vector<DelayPtr> staleEdits;   // those edits; the caller removes them from the edit store
};

// Pure: `storedDelays` are one heat's delays as read from the database, `edits` that heat's entries of the
// edit store (shared records, not copies).
OverlayResult overlayEditedDelays(const std::vector<DelayPtr>& storedDelays, const std::vector<DelayPtr>& edits);

} // namespace orvendel
