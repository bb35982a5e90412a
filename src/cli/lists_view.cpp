#include "cli/lists_view.hpp"

#include "cli/records_json.hpp"
#include "cli/text_table.hpp"
#include "core/screens/furnace_selection.hpp"
#include "core/screens/heats_table.hpp"
#include "core/screens/reason_tree.hpp"
#include "core/screens/selection.hpp"

#include <fmt/format.h>

#include <string>

namespace orvendel::cli {
namespace {

namespace table = screens::HeatsTable;

std::string itemMarkers(const screens::Item& item)
{
    return std::string(item.isDelayEdited ? "*" : "") + (item.isDelayUnknown ? "?" : "");
}

} // namespace

void renderHeatsList(Reply& reply, const std::optional<Furnace>& furnace,
                     const std::optional<std::vector<screens::Section>>& sections, const std::vector<HeatPtr>& heats)
{
    reply.data["furnace"] = furnace ? furnaceJson(*furnace) : nlohmann::ordered_json(nullptr);
    auto heatsJson = nlohmann::ordered_json::array();
    reply.lines.push_back(
        furnace ? fmt::format("{} (furnace {})", screens::FurnaceSelection::furnaceTitle(furnace), furnace->id)
                : screens::FurnaceSelection::furnaceTitle(std::nullopt));
    if (!sections || sections->empty()) {
        reply.lines.push_back(table::emptyStateTitle);
        reply.lines.push_back(table::emptyStateMessage);
        reply.data["heats"] = std::move(heatsJson);
        return;
    }
    TextTable rows;
    std::vector<std::string> headers; // one per section
    for (const auto& section : *sections) {
        std::string header = fmt::format("{}  {}", table::headerTitle(section), table::headerDescription(section));
        if (const auto unknown = table::unknownIndicatorText(section); !unknown.empty()) {
            header += fmt::format("  ({} unknown)", unknown);
        }
        headers.push_back(std::move(header));
        std::size_t position = 0;
        for (const auto& item : section.items) {
            rows.addRow(
                {delayRefText(section.heatNumber, ++position), item.description, itemMarkers(item), item.title});
        }
        if (const auto heat = screens::findHeat(heats, section.heatId)) {
            heatsJson.push_back(heatJson(*heat));
        }
    }
    // Print the headers between the aligned rows of their heats.
    const auto lines = rows.lines("  ");
    std::size_t next = 0;
    for (std::size_t s = 0; s < sections->size(); ++s) {
        reply.lines.push_back(headers[s]);
        for (std::size_t i = 0; i < (*sections)[s].items.size() && next < lines.size(); ++i) {
            reply.lines.push_back(lines[next++]);
        }
    }
    reply.data["heats"] = std::move(heatsJson);
}

void renderFurnaces(Reply& reply, const std::vector<Furnace>& furnaces, int selectedFurnaceId)
{
    reply.lines.push_back(screens::FurnaceSelection::title);
    TextTable rows({1});
    auto json = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < furnaces.size(); ++i) {
        const auto row = screens::FurnaceSelection::row(furnaces, selectedFurnaceId, i);
        rows.addRow({row.checked ? "*" : " ", std::to_string(furnaces[i].id), row.text});
        auto entry = furnaceJson(furnaces[i]);
        entry["selected"] = row.checked;
        json.push_back(std::move(entry));
    }
    if (rows.empty()) {
        reply.lines.push_back("  (no furnaces)");
    }
    for (auto& line : rows.lines("  ")) {
        reply.lines.push_back(std::move(line));
    }
    reply.data["selectedFurnaceId"] = selectedFurnaceId;
    reply.data["furnaces"] = std::move(json);
}

void renderReasons(Reply& reply, const std::vector<Reason>& reasons)
{
    // The finder's tree with every category open: what can be chosen there is what is listed here.
    const screens::ReasonTree tree(reasons);
    auto json = nlohmann::ordered_json::array();
    TextTable rows({0});
    for (const auto& row : tree.allRows()) {
        const Reason& node = row.node->reason;
        rows.addRow({node.id ? std::to_string(*node.id) : "-",
                     std::string(static_cast<std::size_t>(row.indentationLevel) * 2, ' ') + node.description,
                     node.shortDescription});
        auto entry = reasonJson(node);
        entry["depth"] = row.indentationLevel;
        json.push_back(std::move(entry));
    }
    if (rows.empty()) {
        reply.lines.push_back("(no reasons)");
    }
    for (auto& line : rows.lines()) {
        reply.lines.push_back(std::move(line));
    }
    reply.data["reasons"] = std::move(json);
}

void renderEdits(Reply& reply, const std::vector<DelayPtr>& edits, const std::vector<HeatPtr>& heats,
                 const std::vector<DelayPtr>& restored)
{
    auto json = nlohmann::ordered_json::array();
    TextTable rows;
    for (const auto& edit : edits) {
        if (!edit) {
            continue;
        }
        const auto heat = screens::findHeat(heats, edit->heatId);
        std::string ref = heat ? fmt::format("Heat {}", heat->heatNumber) : fmt::format("heat id {}", edit->heatId);
        std::size_t position = 0;
        if (heat && heat->delays) {
            for (std::size_t i = 0; i < heat->delays->size(); ++i) {
                if ((*heat->delays)[i] == edit) {
                    position = i + 1;
                }
            }
        }
        auto entry = delayJson(*edit, heat ? heat->heatNumber : 0, position);
        if (position == 0) {
            entry["ref"] = nullptr; // not listed: a split's later piece, or a heat no longer shown
            entry["position"] = nullptr;
        }
        const bool wasRestored = std::find(restored.begin(), restored.end(), edit) != restored.end();
        entry["restored"] = wasRestored;
        json.push_back(std::move(entry));
        std::string marks = edit->isSplitted ? "split" : "";
        if (wasRestored) {
            marks += marks.empty() ? "restored" : ", restored";
        }
        rows.addRow({position ? delayRefText(heat->heatNumber, position) : ref + " (not listed)",
                     clockText(edit->startDate) + "-" + clockText(edit->endDate),
                     fmt::format("{} {}", edit->reasonId, edit->reasonDescription), marks,
                     edit->comment ? fmt::format("\"{}\"", *edit->comment) : std::string()});
    }
    reply.lines.push_back(
        rows.empty() ? "No unsaved edits."
                     : fmt::format("{} unsaved edit{}:", rows.lines().size(), rows.lines().size() == 1 ? "" : "s"));
    for (auto& line : rows.lines("  ")) {
        reply.lines.push_back(std::move(line));
    }
    reply.data["edits"] = std::move(json);
}

} // namespace orvendel::cli
