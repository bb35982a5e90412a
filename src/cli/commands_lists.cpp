#include "cli/commands.hpp"

#include "cli/heat_view.hpp"
#include "cli/lists_view.hpp"
#include "cli/lookup.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/screens/furnace_selection.hpp"
#include "core/screens/guards.hpp"
#include "core/service/download_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

namespace orvendel::cli {
namespace {

Reply heatsListReply(CommandContext& context, Reply reply)
{
    const auto* heats = context.session.heatsList();
    renderHeatsList(reply, heats->furnace(), heats->tableData(), heats->heats());
    return reply;
}

// The guard before leaving the shown furnace: a running save outweighs unsaved edits. Every listed heat
// is checked, not only the selected one: a shell has no visible selection, and edits must not be dropped
// without asking.
struct FurnaceGuard {
    screens::GuardOutcome outcome = screens::GuardOutcome::Proceed;
    std::vector<int> heatIds; // the heats at risk
};

FurnaceGuard furnaceGuard(const std::vector<HeatPtr>& heats)
{
    FurnaceGuard guard;
    bool saving = false;
    bool edited = false;
    auto store = EditedDelaysManager::shared();
    for (const auto& heat : heats) {
        if (!heat) {
            continue;
        }
        const bool heatSaving = awaitCompletion<bool>([&](auto completion) {
            DownloadManager::shared()->isSavingDelays(heat->heatId, heat->furnaceId, std::move(completion));
        });
        const bool heatEdited = store->hasEditedDelays(heat->heatId);
        if (heatSaving || heatEdited) {
            guard.heatIds.push_back(heat->heatId);
        }
        saving = saving || heatSaving;
        edited = edited || heatEdited;
    }
    guard.outcome = screens::guardOutcome(saving, edited);
    return guard;
}

} // namespace

Reply furnacesCommand(CommandContext&)
{
    Reply reply;
    renderFurnaces(reply, storedFurnaces(), UserConfigurationManager::shared().selectedFurnaceId());
    return reply;
}

Reply useCommand(CommandContext& context, int furnaceId, bool discard)
{
    Reply reply;
    const auto furnaces = storedFurnaces();
    auto& configuration = UserConfigurationManager::shared();
    std::optional<std::size_t> index;
    for (std::size_t i = 0; i < furnaces.size(); ++i) {
        if (furnaces[i].id == furnaceId) {
            index = i;
        }
    }
    if (!index) {
        return reply.fail(cli_error::notFound,
                          fmt::format("Furnace {} is not in the list; see `furnaces`.", furnaceId));
    }
    const auto choice = screens::FurnaceSelection::choose(furnaces, configuration.selectedFurnaceId(), *index);
    if (choice.kind != screens::FurnaceSelection::Choice::Kind::Selected) {
        reply.lines.push_back(fmt::format("{} is already selected.", furnaces[*index].name));
        return heatsListReply(context, std::move(reply));
    }
    configuration.setSelectedFurnaceId(furnaceId);

    auto* list = context.session.heatsList();
    const auto& heats = list->heats();
    if (!heats.empty() && heats.front() && heats.front()->furnaceId != furnaceId) {
        const int shownFurnaceId = heats.front()->furnaceId;
        const auto guard = furnaceGuard(heats);
        if (const auto question = screens::guardQuestion(guard.outcome)) {
            if (!discard) {
                configuration.setSelectedFurnaceId(shownFurnaceId);
                reply.add(Alert{question->title, question->message,
                                cliError(cli_error::refused, question->title + " " + question->message)});
                reply.notices.push_back(fmt::format("Type `use {} --discard` to switch anyway.", furnaceId));
                return reply;
            }
            log("Selected YES");
            auto store = EditedDelaysManager::shared();
            for (const int heatId : guard.heatIds) {
                awaitCompletion<bool>(
                    [&](auto completion) { store->removeAllEditedDelays(heatId, [completion] { completion(true); }); });
            }
            reply.data["discardedHeats"] = guard.heatIds;
        }
    }
    list->switchToSelectedFurnace();
    if (!waitUntilSettled(context, reply)) {
        return reply;
    }
    return heatsListReply(context, std::move(reply));
}

Reply refreshCommand(CommandContext& context)
{
    Reply reply;
    context.session.heatsList()->refresh();
    if (!waitUntilSettled(context, reply)) {
        return reply;
    }
    return heatsListReply(context, std::move(reply));
}

Reply heatsCommand(CommandContext& context)
{
    return heatsListReply(context, Reply{});
}

Reply showCommand(CommandContext& context, int heatNumber, const std::optional<DelayRef>& ref)
{
    Reply reply;
    auto* list = context.session.heatsList();
    DelayPtr selected;
    HeatPtr heat;
    if (ref) {
        const auto listed = findListedDelay(list->heats(), *ref, reply);
        if (!listed) {
            return reply;
        }
        heat = listed->heat;
        selected = listed->delay;
        list->setSelectedHeatDelay(screens::HeatDelayIdentifier{heat->heatId, selected->startDate.date});
    } else {
        heat = findHeatByNumber(list->heats(), heatNumber, reply);
        if (!heat) {
            return reply;
        }
        const auto& selection = list->selectedHeatDelay();
        const Instant start = selection && selection->heatId == heat->heatId ? selection->delayStartDate : Instant{};
        selected = screens::delayToShow(*heat, start);
    }
    renderHeat(reply, *heat, selected, context.terminalWidth);
    return reply;
}

Reply reasonsCommand(CommandContext&)
{
    Reply reply;
    renderReasons(reply, storedReasons(UserConfigurationManager::shared().selectedFurnaceId()));
    return reply;
}

Reply editsCommand(CommandContext& context)
{
    Reply reply;
    renderEdits(reply, allEditedDelays(), context.session.heatsList()->heats());
    return reply;
}

} // namespace orvendel::cli
