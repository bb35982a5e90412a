#pragma once

#include "core/model/delay.hpp"

#include <vector>

namespace orvendel {

// What a heat's list shows: its stored delays with the unsaved edits laid over them.
struct OverlayResult {
    std::vector<DelayPtr> delays;     // merged, stable-sorted by start instant
    bool editedDelaysRemoved = false; // some edit was stale (the service holds a newer version)
    std::vector<DelayPtr> staleEdits; // those edits; the caller removes them (`removeStaleEditedDelays`)
};

// Pure: `storedDelays` are one heat's delays as read from the database, `edits` that heat's entries of the
// edit store (shared records, not copies); neither is modified.
// An edit of the current version of its stored delay (same `timestamp`) is shown: an edit with the stored
// delay's id and start in its place, a split piece (by its `baseDelayId`) as a row of its own. An edit of a
// stored delay (its `delayId`, else its `baseDelayId`) whose `timestamp` has changed since is stale: hidden,
// listed in `staleEdits` and raising `editedDelaysRemoved`. Without edits the stored list comes back as it
// is, unsorted.
OverlayResult overlayEditedDelays(const std::vector<DelayPtr>& storedDelays, const std::vector<DelayPtr>& edits);

} // namespace orvendel
