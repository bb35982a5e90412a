#include "core/screens/furnace_selection.hpp"

#include "core/model/texts.hpp"

#include <algorithm>

namespace orvendel::screens::FurnaceSelection {
namespace {

std::optional<std::size_t> rowOf(const std::vector<Furnace>& furnaces, int furnaceId)
{
    const auto it = std::find_if(furnaces.begin(), furnaces.end(), [&](const Furnace& f) { return f.id == furnaceId; });
    if (it == furnaces.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - furnaces.begin());
}

} // namespace

std::optional<int> furnaceAfterDownload(const std::vector<Furnace>& furnaces, int configuredFurnaceId)
{
    if (furnaces.empty()) {
        return std::nullopt;
    }
    if (configuredFurnaceId < 1 || !rowOf(furnaces, configuredFurnaceId)) {
        return furnaces.front().id;
    }
    return configuredFurnaceId;
}

std::string furnaceTitle(const std::optional<Furnace>& furnace)
{
    return furnace ? furnace->name : texts::noFurnace;
}

Row row(const std::vector<Furnace>& furnaces, int selectedFurnaceId, std::size_t index)
{
    if (index >= furnaces.size()) {
        return Row{};
    }
    return Row{furnaces[index].name, furnaces[index].id == selectedFurnaceId};
}

std::optional<std::size_t> initialRow(const std::vector<Furnace>& furnaces, int selectedFurnaceId)
{
    if (selectedFurnaceId < 1) {
        return std::nullopt;
    }
    return rowOf(furnaces, selectedFurnaceId);
}

Choice choose(const std::vector<Furnace>& furnaces, int selectedFurnaceId, std::size_t index)
{
    if (index >= furnaces.size()) {
        return Choice{};
    }
    const Furnace& furnace = furnaces[index];
    if (furnace.id == selectedFurnaceId) {
        return Choice{Choice::Kind::Unchanged, std::nullopt, std::nullopt};
    }
    const auto previous = selectedFurnaceId >= 1 ? rowOf(furnaces, selectedFurnaceId) : std::nullopt;
    return Choice{Choice::Kind::Selected, previous, furnace};
}

} // namespace orvendel::screens::FurnaceSelection
