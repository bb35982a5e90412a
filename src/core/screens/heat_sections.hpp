#pragma once

#include "core/model/delay.hpp"
#include "core/model/heat.hpp"

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvendel::screens {

// One row of the heats list: a delay as the list shows it.
struct Item {
    std::optional<int> delayId;
    Instant startDate{};
    std::string title;
    std::string description;
    bool isDelayUnknown = false;
    bool isDelayEdited = false;
};

// One heat of the heats list with a row per delay.
struct Section {
    int heatId = 0;
    int heatNumber = 0;
    std::vector<Item> items;
    bool collapsed = true;
};

// The edit store's entries grouped by heat, each group in store order.
using EditsByHeat = std::unordered_map<int, std::vector<DelayPtr>>;

EditsByHeat groupEditsByHeat(const std::vector<DelayPtr>& editedDelays);

// The row of one delay. Its description is "HH:mm:ss - m.m min": the start's clock time in the start's
// own zone and the duration in minutes with one decimal.
Item makeItem(const Delay& delay);
std::string itemDescription(const Delay& delay);

struct SectionsBuild {
    // The heats in the order given, each with its edits laid over its stored delays. A heat whose list
    // changed is a new record; the stored records given in are never modified.
    std::vector<HeatPtr> heats;
    std::vector<Section> sections;
    // Some edit was left out because the service holds a newer version: one alert per rebuild.
    bool editedDelaysRemoved = false;
    // For the edit store: the entries to remove, and those to replace with a copy on the newer version of
    // the operator's own save (see `overlayEditedDelays`).
    std::vector<DelayPtr> staleEdits;
    std::vector<std::pair<DelayPtr, DelayPtr>> rebasedEdits;
};

// A section per heat, in the order given (never re-sorted). A heat keeps the collapsed state of its
// section in `oldSections` and starts collapsed when it is new. Pure: callers on any thread may build the
// whole list apart and hand it to the user interface in one piece.
SectionsBuild buildSections(const std::vector<HeatPtr>& heats, const EditsByHeat& editsByHeat,
                            const std::vector<Section>& oldSections, const std::vector<DelayPtr>& ownSaves = {});

} // namespace orvendel::screens
