#pragma once

#include "core/model/furnace.hpp"
#include "core/model/texts.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::screens {

// Furnace choice rules of the heats list and the furnace selection list. Thread contract: pure
// functions, any thread.
namespace FurnaceSelection {

inline constexpr const char* title = texts::selectFurnaceTitle;

// After the furnace list arrived: the configured furnace when the list offers it, else the list's first
// furnace (also when none was configured, i.e. the id is below 1). None for an empty list, which leaves
// the screen without a furnace.
std::optional<int> furnaceAfterDownload(const std::vector<Furnace>& furnaces, int configuredFurnaceId);

// The heats list's title: the furnace's name, "No Furnace" when it is not stored.
std::string furnaceTitle(const std::optional<Furnace>& furnace);

struct Row {
    std::string text;
    bool checked = false;
};

// Row i of the list; empty and unchecked beyond the list.
Row row(const std::vector<Furnace>& furnaces, int selectedFurnaceId, std::size_t index);

// The row to scroll to the middle when the list opens; none when no furnace is chosen (id below 1) or the
// chosen one is not listed.
std::optional<std::size_t> initialRow(const std::vector<Furnace>& furnaces, int selectedFurnaceId);

// A tap on row `index`.
struct Choice {
    enum class Kind {
        Ignored,   // beyond the list
        Unchanged, // the furnace already checked: nothing is stored and the delegate is not told
        Selected,  // store the furnace's id and tell the delegate
    };
    Kind kind = Kind::Ignored;
    std::optional<std::size_t> uncheckedRow; // the row that loses its check mark
    std::optional<Furnace> furnace;
};

Choice choose(const std::vector<Furnace>& furnaces, int selectedFurnaceId, std::size_t index);

} // namespace FurnaceSelection

} // namespace orvendel::screens
