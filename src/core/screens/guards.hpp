#pragma once

#include "core/model/texts.hpp"
#include "core/screens/error_alert.hpp"
#include "core/screens/selection.hpp"

#include <optional>
#include <vector>

namespace orvendel::screens {

// The heats list's guards of unsaved work when the user moves to another heat or furnace. Thread
// contract: pure functions, any thread.

enum class RowSelectionAction {
    ShowHeat,               // nothing selected yet: show the tapped heat
    SelectDelayInShownHeat, // same heat: only move the selection within the detail
    GuardPreviousHeat,      // another heat: ask the guard about the previously selected heat first
};

RowSelectionAction rowSelectionAction(const std::optional<HeatDelayIdentifier>& current, int tappedHeatId);

enum class GuardOutcome {
    Proceed,
    AskSavingInProgress, // a save of the heat is running
    AskUnsavedDelays,    // the edit store holds entries of the heat
};

// A running save outweighs unsaved edits.
GuardOutcome guardOutcome(bool isSavingDelays, bool hasEditedDelays);

// The question of an outcome that asks; "Yes" proceeds (dropping the heat's edits), "No" stays.
std::optional<AlertText> guardQuestion(GuardOutcome outcome);

inline constexpr const char* guardYesButton = texts::yes;
inline constexpr const char* guardNoButton = texts::no;

// Which heat and furnace must be checked before switching to another furnace: the selected heat on the
// furnace of the shown heats. None when nothing can be at risk (no selection, no heats, or the same
// furnace), in which case the switch goes ahead.
struct FurnaceSwitchCheck {
    int heatId = 0;
    int furnaceId = 0;
    friend bool operator==(const FurnaceSwitchCheck&, const FurnaceSwitchCheck&) = default;
};

std::optional<FurnaceSwitchCheck> furnaceSwitchCheck(const std::optional<HeatDelayIdentifier>& selected,
                                                     const std::vector<HeatPtr>& heats, int newFurnaceId);

} // namespace orvendel::screens
