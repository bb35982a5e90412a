#pragma once

#include "core/model/delay.hpp"

#include <utility>
#include <vector>

namespace orvendel {

// What a heat's list shows: its stored delays with the unsaved edits laid over them.
struct OverlayResult {
    std::vector<DelayPtr> delays;     // merged, stable-sorted by start instant
    bool editedDelaysRemoved = false; // some edit was stale (someone else saved a newer version)
    // Edits to take out of the store (`removeStaleEditedDelays`): the stale ones, and those the service
    // already holds exactly (a save that landed although its reply never came), which raise no flag.
    std::vector<DelayPtr> staleEdits;
    // Edits whose only newer version is this operator's own save: each entry with its copy on that version,
    // which is what the list shows; the caller puts the copies in the store (`rebaseEditedDelays`).
    std::vector<std::pair<DelayPtr, DelayPtr>> rebasedEdits;
};

// Pure: `storedDelays` are one heat's delays as read from the database, `edits` that heat's entries of the
// edit store (shared records, not copies), `ownSaves` the records this operator's saves sent while an edit
// of the same delay was made again (the store's `getEditsAndOwnSaves`); none is modified.
// An edit of the current version of its stored delay (same `timestamp`) is shown: an edit with the stored
// delay's id and start in its place, a split piece (by its `baseDelayId`) as a row of its own. An edit of a
// stored delay (its `delayId`, else its `baseDelayId`) whose `timestamp` has changed since is, in this
// order: saved, when the service holds exactly it (reason, comment, start and end); re-based, when the newer
// version is what an own save of the same version sent; otherwise stale: hidden, listed in `staleEdits` and
// raising `editedDelaysRemoved`. Without edits the stored list comes back as it is, unsorted.
OverlayResult overlayEditedDelays(const std::vector<DelayPtr>& storedDelays, const std::vector<DelayPtr>& edits,
                                  const std::vector<DelayPtr>& ownSaves = {});

} // namespace orvendel
