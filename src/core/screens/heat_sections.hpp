#pragma once

#include "core/model/delay.hpp"
#include "core/model/heat.hpp"

#include <optional>
#include <string>
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
    friend bool operator==(const Item&, const Item&) = default;
};

// One heat of the heats list with a row per delay.
struct Section {
    int heatId = 0;
    int heatNumber = 0;
    std::vector<Item> items;
    bool collapsed = true;
};

// The row of one delay. Its description is "HH:mm:ss - m.m min": the start's clock time in the start's
// own zone and the duration in minutes with one decimal.
Item makeItem(const Delay& delay);
std::string itemDescription(const Delay& delay);

// The section of one heat (its edits already laid over it), a row per delay in the heat's order.
Section makeSection(const Heat& heat, bool collapsed);

// A section per heat, in the order given (never re-sorted). A heat keeps the collapsed state of its
// section in `oldSections` and starts collapsed when it is new. Pure, any thread.
std::vector<Section> buildSections(const std::vector<HeatPtr>& heats, const std::vector<Section>& oldSections);

} // namespace orvendel::screens
