#include "core/screens/guards.hpp"

#include "core/model/texts.hpp"

namespace orvendel::screens {

RowSelectionAction rowSelectionAction(const std::optional<HeatDelayIdentifier>& current, int tappedHeatId)
{
    if (!current) {
        return RowSelectionAction::ShowHeat;
    }
    return current->heatId == tappedHeatId ? RowSelectionAction::SelectDelayInShownHeat
                                           : RowSelectionAction::GuardPreviousHeat;
}

GuardOutcome guardOutcome(bool isSavingDelays, bool hasEditedDelays)
{
    if (isSavingDelays) {
        return GuardOutcome::AskSavingInProgress;
    }
    return hasEditedDelays ? GuardOutcome::AskUnsavedDelays : GuardOutcome::Proceed;
}

std::optional<AlertText> guardQuestion(GuardOutcome outcome)
{
    switch (outcome) {
    case GuardOutcome::AskSavingInProgress:
        return AlertText{texts::savingInProgressQuestion, texts::savingInProgressWarning};
    case GuardOutcome::AskUnsavedDelays:
        return AlertText{texts::unsavedDelaysQuestion, texts::allChangesLost};
    case GuardOutcome::Proceed:
        break;
    }
    return std::nullopt;
}

std::optional<FurnaceSwitchCheck> furnaceSwitchCheck(const std::optional<HeatDelayIdentifier>& selected,
                                                     const std::vector<HeatPtr>& heats, int newFurnaceId)
{
    if (!selected || heats.empty() || !heats.front() || heats.front()->furnaceId == newFurnaceId) {
        return std::nullopt;
    }
    return FurnaceSwitchCheck{selected->heatId, heats.front()->furnaceId};
}

} // namespace orvendel::screens
