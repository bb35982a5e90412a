#include "cli/lookup.hpp"

#include "cli/records_json.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"

#include <fmt/format.h>

namespace orvendel::cli {

HeatPtr findHeatByNumber(const std::vector<HeatPtr>& heats, int heatNumber, Reply& reply)
{
    for (const auto& heat : heats) {
        if (heat && heat->heatNumber == heatNumber) {
            return heat;
        }
    }
    reply.fail(cli_error::notFound, fmt::format("Heat {} is not listed; see `heats`.", heatNumber));
    return nullptr;
}

std::optional<ListedDelay> findListedDelay(const std::vector<HeatPtr>& heats, const DelayRef& ref, Reply& reply)
{
    const auto heat = findHeatByNumber(heats, ref.heatNumber, reply);
    if (!heat) {
        return std::nullopt;
    }
    const std::size_t count = heat->delays ? heat->delays->size() : 0;
    if (ref.position < 1 || static_cast<std::size_t>(ref.position) > count || !(*heat->delays)[ref.position - 1]) {
        reply.fail(cli_error::notFound,
                   fmt::format("Heat {} has no delay {} (it lists {}).", ref.heatNumber, ref.position, count));
        return std::nullopt;
    }
    return ListedDelay{heat, (*heat->delays)[ref.position - 1], static_cast<std::size_t>(ref.position)};
}

std::optional<ListedDelay> listedDelayAt(const std::vector<HeatPtr>& heats, int heatId, Instant start)
{
    for (const auto& heat : heats) {
        if (!heat || heat->heatId != heatId || !heat->delays) {
            continue;
        }
        for (std::size_t i = 0; i < heat->delays->size(); ++i) {
            const auto& delay = (*heat->delays)[i];
            if (delay && delay->startDate.date == start) {
                return ListedDelay{heat, delay, i + 1};
            }
        }
    }
    return std::nullopt;
}

Result<std::vector<Furnace>> storedFurnaces(const flows::Context& core)
{
    const auto stored = awaitCompletion<Result<std::vector<FurnacePtr>>>(
        [&](auto completion) { core.database->fetchFurnaces(std::move(completion)); });
    if (!stored) {
        return stored.error();
    }
    std::vector<Furnace> furnaces;
    for (const auto& furnace : *stored) {
        if (furnace) {
            furnaces.push_back(*furnace);
        }
    }
    return furnaces;
}

Result<std::vector<Reason>> storedReasons(const flows::Context& core)
{
    const int furnaceId = core.configuration->selectedFurnaceId();
    const auto stored = awaitCompletion<Result<std::vector<ReasonPtr>>>(
        [&](auto completion) { core.database->fetchReasons(furnaceId, std::move(completion)); });
    if (!stored) {
        return stored.error();
    }
    std::vector<Reason> reasons;
    for (const auto& reason : *stored) {
        if (reason) {
            reasons.push_back(*reason);
        }
    }
    return reasons;
}

std::vector<DelayPtr> allEditedDelays(const flows::Context& core)
{
    return awaitCompletion<std::vector<DelayPtr>>(
        [&](auto completion) { core.edits->getAllEditedDelays(std::move(completion)); });
}

std::vector<DelayPtr> restoredEditedDelays(const flows::Context& core)
{
    return awaitCompletion<std::vector<DelayPtr>>(
        [&](auto completion) { core.edits->getRestoredEditedDelays(std::move(completion)); });
}

} // namespace orvendel::cli
