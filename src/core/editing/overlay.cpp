#include "core/editing/overlay.hpp"

#include <algorithm>

namespace orvendel {
namespace {

// The stored delay an edit was made against: the one with the edit's own service id, else the one its
// split pieces descend from. None for an edit of a delay the service never numbered.
const Delay* sourceOf(const Delay& edit, const std::vector<DelayPtr>& storedDelays)
{
    const std::optional<int> key = edit.delayId ? edit.delayId : edit.baseDelayId;
    if (!key) {
        return nullptr;
    }
    for (const auto& stored : storedDelays) {
        if (stored && stored->delayId == key) {
            return stored.get();
        }
    }
    return nullptr;
}

// Whether the edit stands for this stored delay: by the service's id where the edit has one (two delays may
// start at the same instant), by the start for a split piece the service has not numbered yet.
bool isEditOf(const Delay& edit, const Delay& stored)
{
    if (edit.delayId) {
        return stored.delayId == edit.delayId;
    }
    return stored.startDate.date == edit.startDate.date;
}

bool holdsStart(const Delay& stored, const Delay& edit)
{
    const Instant start = edit.startDate.date;
    return stored.startDate.date == start || (stored.startDate.date < start && start < stored.endDate.date);
}

// Whether an edit without any id belongs to the current version of a stored delay: the edit of a delay the
// service never numbered, or the edited copy of a later split piece (a copy keeps no `baseDelayId`), which
// lies inside the delay it was cut from.
bool keylessEditIsCurrent(const Delay& edit, const std::vector<DelayPtr>& storedDelays)
{
    return std::any_of(storedDelays.begin(), storedDelays.end(), [&](const DelayPtr& stored) {
        return stored && stored->timestamp == edit.timestamp && holdsStart(*stored, edit);
    });
}

// What a save changes of a delay; an absent comment and an empty one are the same text.
bool sameContent(const Delay& a, const Delay& b)
{
    return a.reasonId == b.reasonId && a.comment.value_or("") == b.comment.value_or("") &&
           a.startDate.date == b.startDate.date && a.endDate.date == b.endDate.date;
}

// Whether the service already holds the edit: its own delay, or for a piece it has numbered since, any
// delay of the heat, with exactly the edit's content.
bool isHeldByService(const Delay& edit, const Delay& source, const std::vector<DelayPtr>& storedDelays)
{
    if (edit.delayId) {
        return sameContent(source, edit);
    }
    return std::any_of(storedDelays.begin(), storedDelays.end(),
                       [&](const DelayPtr& stored) { return stored && sameContent(*stored, edit); });
}

// Whether the stored delay's newer version is what this operator saved from the version the edit was made
// against, and nothing since.
bool isOwnSaveOf(const Delay& source, const Delay& edit, const std::vector<DelayPtr>& ownSaves)
{
    return edit.delayId && std::any_of(ownSaves.begin(), ownSaves.end(), [&](const DelayPtr& sent) {
               return sent && sent->heatId == edit.heatId && sent->delayId == edit.delayId &&
                      sent->timestamp == edit.timestamp && sameContent(*sent, source);
           });
}

} // namespace

OverlayResult overlayEditedDelays(const std::vector<DelayPtr>& storedDelays, const std::vector<DelayPtr>& edits,
                                  const std::vector<DelayPtr>& ownSaves)
{
    OverlayResult result;
    if (edits.empty()) {
        result.delays = storedDelays;
        return result;
    }

    std::vector<DelayPtr> retained;
    for (DelayPtr edit : edits) {
        if (!edit) {
            continue;
        }
        const Delay* source = sourceOf(*edit, storedDelays);
        if (!source) {
            if (!edit->delayId && !edit->baseDelayId && keylessEditIsCurrent(*edit, storedDelays)) {
                retained.push_back(edit);
            }
            continue;
        }
        // An edit made against an older version of its delay must be neither shown nor sent again: the
        // service would refuse it or overwrite the newer version with it.
        if (source->timestamp != edit->timestamp) {
            if (isHeldByService(*edit, *source, storedDelays)) {
                result.staleEdits.push_back(edit); // saved: nothing was lost
                continue;
            }
            if (!isOwnSaveOf(*source, *edit, ownSaves)) {
                result.editedDelaysRemoved = true;
                result.staleEdits.push_back(edit);
                continue;
            }
            // A copy: the store's record is read on other threads; the store takes the copy in its place.
            auto rebased = std::make_shared<Delay>(*edit);
            rebased->timestamp = source->timestamp;
            result.rebasedEdits.emplace_back(edit, rebased);
            edit = std::move(rebased);
        }
        // Every piece of a split of the current version is shown: the first takes its delay's place, the
        // others are rows of their own.
        if (!edit->delayId || source->startDate.date == edit->startDate.date) {
            retained.push_back(edit);
        }
    }

    result.delays.reserve(storedDelays.size() + retained.size());
    for (const auto& stored : storedDelays) {
        const bool replaced = stored && std::any_of(retained.begin(), retained.end(),
                                                    [&](const DelayPtr& edit) { return isEditOf(*edit, *stored); });
        if (!replaced) {
            result.delays.push_back(stored);
        }
    }
    result.delays.insert(result.delays.end(), retained.begin(), retained.end());
    std::stable_sort(result.delays.begin(), result.delays.end(), [](const DelayPtr& a, const DelayPtr& b) {
        if (!a || !b) {
            return static_cast<bool>(a) && !b;
        }
        return a->startDate.date < b->startDate.date;
    });
    return result;
}

} // namespace orvendel
