#pragma once

#include "core/model/furnace.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The demo plant: furnaces, reason trees and heats, each a pure function of the seed (and of the furnace and
// heat index), so that a seed always gives the same plant however far it has been extended.
namespace orvendel::delay_service {

// One node of a reason tree, flattened in pre-order (a parent before its children).
struct DemoReasonNode {
    int categoryId = 0;
    std::optional<int> parentCategoryId;
    std::optional<int> reasonId; // categories have none
    std::string description;
    std::string shortDescription;
    std::optional<std::string> color; // a few nodes have none
};

struct DemoDelay {
    int reasonId = 0;
    int64_t start = 0; // seconds since the epoch
    int64_t end = 0;
    std::optional<std::string> comment;
};

struct DemoHeat {
    int heatId = 0;
    int furnaceId = 0;
    int heatNumber = 0;
    int index = 0; // 0 for a furnace's first heat
    int64_t start = 0;
    int64_t end = 0;
    std::vector<DemoDelay> delays;
};

// Thread contract: immutable after construction; any thread.
class DemoPlant {
public:
    static constexpr int unclassifiedReasonId = 0;
    static constexpr int hiddenFurnaceId = 4;
    static constexpr int64_t historySeconds = 48 * 3600;

    explicit DemoPlant(uint64_t seed, std::optional<int> delaysPerHeat = std::nullopt)
        : m_seed(seed), m_delaysPerHeat(delaysPerHeat)
    {}

    uint64_t seed() const { return m_seed; }
    std::vector<Furnace> furnaces() const;
    std::vector<DemoReasonNode> reasonTree(int furnaceId) const;

    // Where a furnace's first heat starts when the plant is created at `now`: two days back, on the hour,
    // shifted per furnace so the furnaces do not tap together.
    int64_t firstHeatStart(int furnaceId, int64_t now) const;

    // The heat with that index starting at `start`; `classifiedReasonIds` are the leaves to draw from.
    DemoHeat heat(int furnaceId, int index, int64_t start, const std::vector<int>& classifiedReasonIds) const;

    // Heat duration only (for deciding whether the next heat has ended yet).
    int64_t heatDuration(int furnaceId, int index) const;

    static std::vector<int> classifiedReasonIds(const std::vector<DemoReasonNode>& tree);

private:
    uint64_t m_seed;
    std::optional<int> m_delaysPerHeat;
};

} // namespace orvendel::delay_service
