#include "cli/commands.hpp"

#include "cli/heat_view.hpp"
#include "cli/lists_view.hpp"
#include "cli/lookup.hpp"
#include "core/flows/furnace_selection_flow.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace orvendel::cli {
namespace {

Reply heatsListReply(CommandContext& context, Reply reply)
{
    const auto heats = context.app.heatsList();
    renderHeatsList(reply, heats->furnace(), heats->tableData(), heats->heats());
    return reply;
}

} // namespace

Reply furnacesCommand(CommandContext& context)
{
    Reply reply;
    const auto furnaces = storedFurnaces(context.core());
    if (!furnaces) {
        return reply.fail(furnaces.error(), furnaces.error().description);
    }
    renderFurnaces(reply, *furnaces, context.core().configuration->selectedFurnaceId());
    return reply;
}

Reply useCommand(CommandContext& context, int furnaceId, bool discard)
{
    Reply reply;
    auto selection = flows::FurnaceSelectionFlow::create(context.loop, context.app.heatsList());
    selection->load();
    // A failed read was shown as an alert, which fails the reply.
    if (!waitFor(context, reply, [&] { return selection->isLoaded(); }) || selection->loadError()) {
        return reply;
    }
    const auto& furnaces = selection->furnaces();
    const auto listed =
        std::find_if(furnaces.begin(), furnaces.end(), [&](const Furnace& furnace) { return furnace.id == furnaceId; });
    if (listed == furnaces.end()) {
        return reply.fail(cli_error::notFound,
                          fmt::format("Furnace {} is not in the list; see `furnaces`.", furnaceId));
    }
    context.announcements.answerQuestionsWithYes(discard);
    const bool chosen = selection->choose(static_cast<std::size_t>(listed - furnaces.begin()));
    if (!chosen) {
        reply.lines.push_back(fmt::format("{} is already selected.", listed->name));
        return heatsListReply(context, std::move(reply));
    }
    const bool settled = waitUntilSettled(context, reply);
    context.announcements.answerQuestionsWithYes(false);
    for (const auto& question : context.announcements.takeQuestions()) {
        if (!question.answeredYes) {
            reply.add(Alert{question.title, question.message,
                            cliError(cli_error::refused, question.title + " " + question.message)});
            reply.notices.push_back(fmt::format("Type `use {} --discard` to switch anyway.", furnaceId));
            return reply;
        }
        reply.data["discarded"] = true;
    }
    if (!settled) {
        return reply;
    }
    return heatsListReply(context, std::move(reply));
}

Reply refreshCommand(CommandContext& context)
{
    Reply reply;
    context.app.heatsList()->refresh();
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
    auto list = context.app.heatsList();
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

Reply reasonsCommand(CommandContext& context)
{
    Reply reply;
    const auto reasons = storedReasons(context.core());
    if (!reasons) {
        return reply.fail(reasons.error(), reasons.error().description);
    }
    renderReasons(reply, *reasons);
    return reply;
}

Reply editsCommand(CommandContext& context)
{
    Reply reply;
    renderEdits(reply, allEditedDelays(context.core()), context.app.heatsList()->heats(),
                restoredEditedDelays(context.core()));
    return reply;
}

} // namespace orvendel::cli
