#pragma once

#include <memory>
#include <optional>
#include <string>

namespace orvendel {

// One furnace of the plant. Names beginning with "--" are hidden from the furnace list.
struct Furnace {
    int id = 0;
    std::string name;
    std::optional<std::string> shortName;
    std::optional<std::string> productionField;
    std::optional<std::string> dayStart;
    std::optional<int> mapId;
    std::optional<int> mapCoordX;
    std::optional<int> mapCoordY;
    std::optional<int> type;
};

using FurnacePtr = std::shared_ptr<Furnace>;

} // namespace orvendel
