#include "cli/commands.hpp"

#include "cli/lookup.hpp"
#include "cli/records_json.hpp"
#include "cli/text_table.hpp"
#include "core/editing/delay_edit_model.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/screens/comment_rules.hpp"
#include "core/screens/reason_tree.hpp"
#include "core/screens/selection.hpp"
#include "core/screens/split_time.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

namespace orvendel::cli {
namespace {

// The page a command edits on: sender of its "ReloadData".
const int commandPage = 0;

DelayEditModel editModel(CommandContext& context, const DelayPtr& delay)
{
    return DelayEditModel(delay, context.app.heatDetail()->editEnvironment(), &commandPage);
}

// An edit the journal could not take is in memory only: said at once, with the reason, never an `ok` alone.
void reportEditsNotOnDisk(const CommandContext& context, Reply& reply, bool saved)
{
    const auto disk = context.core().edits->diskState();
    reply.data["editsNotOnDevice"] = disk.notOnDisk;
    if (disk.notOnDisk == 0 || saved) {
        return;
    }
    const std::string reason = disk.error ? disk.error->description : std::string("unknown error");
    reply.notices.push_back(fmt::format("The edit is not kept on this device ({}); it is kept in memory until the "
                                        "program ends. {} unsaved edit{} not on this device.",
                                        reason, disk.notOnDisk, disk.notOnDisk == 1 ? " is" : "s are"));
}

// After an edit: waits for the list's rebuild (and an automatic save with its reload), then reports the
// delay where the list shows it now.
Reply finishEdit(CommandContext& context, Reply reply, const std::string& what)
{
    if (!waitUntilSettled(context, reply)) {
        return reply;
    }
    auto list = context.app.heatsList();
    bool saved = false;
    for (const auto& outcome : context.app.heatDetail()->takeOutcomes()) {
        saved = saved || outcome.saved;
    }
    reply.data["saved"] = saved;
    reply.lines.push_back(what + (saved ? " Saved." : ""));
    reportEditsNotOnDisk(context, reply, saved);
    const auto& selection = list->selectedHeatDelay();
    const auto listed =
        selection ? listedDelayAt(list->heats(), selection->heatId, selection->delayStartDate) : std::nullopt;
    if (!listed) {
        return reply;
    }
    const Delay& delay = *listed->delay;
    reply.data["delay"] = delayJson(delay, listed->heat->heatNumber, listed->position);
    reply.data["heat"] = heatJson(*listed->heat);
    TextTable row;
    row.addRow({delayRefText(listed->heat->heatNumber, listed->position),
                clockText(delay.startDate) + "-" + clockText(delay.endDate),
                fmt::format("{:.1f} min", durationSeconds(delay) / 60.0), delay.isEdited ? "*" : "",
                fmt::format("{} {}", delay.reasonId, delay.reasonDescription),
                delay.comment ? fmt::format("\"{}\"", *delay.comment) : std::string()});
    for (auto& line : row.lines("  ")) {
        reply.lines.push_back(std::move(line));
    }
    if (delay.isEdited) {
        reply.lines.push_back(fmt::format("Unsaved; `save {}` sends the heat's edits.", listed->heat->heatNumber));
    }
    return reply;
}

// Takes the outcomes of saves that ended before this command, so that they are not reported as its own.
void forgetEarlierSaves(CommandContext& context)
{
    context.app.heatDetail()->takeOutcomes();
}

} // namespace

Reply reasonCommand(CommandContext& context, const DelayRef& ref, int reasonId)
{
    Reply reply;
    const auto listed = findListedDelay(context.app.heatsList()->heats(), ref, reply);
    if (!listed) {
        return reply;
    }
    // Only a reason the finder would offer: a leaf of the tree `reasons` lists.
    const auto reasons = storedReasons(context.core());
    if (!reasons) {
        return reply.fail(reasons.error(), reasons.error().description);
    }
    const screens::ReasonTree tree(*reasons);
    const screens::ReasonNode* node = tree.leaf(reasonId);
    if (!node) {
        return reply.fail(cli_error::notFound,
                          fmt::format("Reason {} is not a reason of this furnace; see `reasons`.", reasonId));
    }
    forgetEarlierSaves(context);
    const Reason& reason = node->reason;
    if (!editModel(context, listed->delay).assignReason(reason)) {
        return reply.fail(cli_error::refused, fmt::format("Reason {} cannot be assigned.", reasonId));
    }
    return finishEdit(context, std::move(reply),
                      fmt::format("Delay {}: reason {} {}.", delayRefText(ref.heatNumber, ref.position), reasonId,
                                  reason.description));
}

Reply commentCommand(CommandContext& context, const DelayRef& ref, const std::string& text)
{
    Reply reply;
    const auto listed = findListedDelay(context.app.heatsList()->heats(), ref, reply);
    if (!listed) {
        return reply;
    }
    const std::string comment = CommentRule::trimmedComment(text);
    if (const auto problem = CommentRule::problem(comment); problem != CommentRule::Problem::none) {
        return reply.fail(cli_error::refused, CommentRule::problemText(problem, comment));
    }
    if (!screens::CommentRules::isUpdateEnabled(comment, listed->delay->comment)) {
        return reply.fail(cli_error::refused, "The delay has no comment to clear; give a text.");
    }
    forgetEarlierSaves(context);
    if (!editModel(context, listed->delay).applyComment(comment)) {
        reply.lines.push_back("The comment is unchanged.");
        return reply;
    }
    return finishEdit(context, std::move(reply),
                      fmt::format("Delay {}: comment {}.", delayRefText(ref.heatNumber, ref.position),
                                  comment.empty() ? std::string("cleared") : "set"));
}

Reply splitCommand(CommandContext& context, const DelayRef& ref, double seconds)
{
    Reply reply;
    const auto listed = findListedDelay(context.app.heatsList()->heats(), ref, reply);
    if (!listed) {
        return reply;
    }
    auto model = editModel(context, listed->delay);
    const double offset = screens::SplitTime::snapToWholeSecond(seconds);
    if (!model.canSplit(static_cast<float>(offset))) {
        const double length = model.splitLength();
        return reply.fail(cli_error::refused,
                          length > 20 ? fmt::format("Both pieces of a split must be longer than 9 seconds: split "
                                                    "delay {} ({} s long) between 10 and {} seconds.",
                                                    delayRefText(ref.heatNumber, ref.position), length, length - 10)
                                      : fmt::format("Delay {} is {} s long, too short to split.",
                                                    delayRefText(ref.heatNumber, ref.position), length));
    }
    log("Selected Split");
    forgetEarlierSaves(context);
    model.splitDelay(static_cast<float>(offset), &commandPage);
    const std::string at = screens::SplitTime::assignedOffsetText(offset);
    return finishEdit(
        context, std::move(reply),
        fmt::format("Delay {} split {} after its start.", delayRefText(ref.heatNumber, ref.position), at));
}

Reply undoCommand(CommandContext& context, const DelayRef& ref)
{
    Reply reply;
    const auto listed = findListedDelay(context.app.heatsList()->heats(), ref, reply);
    if (!listed) {
        return reply;
    }
    if (!listed->delay->isEdited) {
        return reply.fail(cli_error::refused,
                          fmt::format("Delay {} has no unsaved changes.", delayRefText(ref.heatNumber, ref.position)));
    }
    forgetEarlierSaves(context);
    editModel(context, listed->delay).undoAllChanges(&commandPage);
    return finishEdit(context, std::move(reply),
                      fmt::format("Delay {}: changes undone.", delayRefText(ref.heatNumber, ref.position)));
}

Reply saveCommand(CommandContext& context, int heatNumber)
{
    Reply reply;
    auto list = context.app.heatsList();
    const auto heat = findHeatByNumber(list->heats(), heatNumber, reply);
    if (!heat) {
        return reply;
    }
    auto detail = context.app.heatDetail();
    forgetEarlierSaves(context);
    if (detail->save(heat->heatId) == flows::HeatDetailFlow::SaveStart::noNetwork) {
        return reply;
    }
    if (!waitUntilSettled(context, reply)) {
        return reply;
    }
    bool saved = false;
    bool failed = false;
    bool nothingToSave = false;
    for (const auto& outcome : detail->takeOutcomes()) {
        if (outcome.heatId == heat->heatId || !outcome.heatId) {
            nothingToSave = nothingToSave || outcome.nothingToSave;
            if (!outcome.nothingToSave) {
                (outcome.saved ? saved : failed) = true;
            }
        }
    }
    if (nothingToSave && !saved && !failed) {
        reply.lines.push_back(fmt::format("Heat {} has no unsaved edits.", heatNumber));
        reply.data["saved"] = false;
        return reply;
    }
    reply.data["saved"] = saved && !failed;
    if (!saved || failed) {
        // The alert of the failure is among the announcements; this covers a failure without an error.
        return reply.fail(cli_error::refused, fmt::format("Heat {} was not saved; its edits are kept.", heatNumber));
    }
    reply.lines.push_back(fmt::format("Saved heat {}.", heatNumber));
    if (const auto reloaded = screens::findHeat(list->heats(), heat->heatId)) {
        reply.data["heat"] = heatJson(*reloaded);
    }
    return reply;
}

} // namespace orvendel::cli
