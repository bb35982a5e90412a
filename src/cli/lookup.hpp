#pragma once

#include "cli/command_parser.hpp"
#include "cli/reply.hpp"
#include "core/flows/context.hpp"
#include "core/model/furnace.hpp"
#include "core/model/heat.hpp"
#include "core/model/reason.hpp"
#include "core/support/error.hpp"

#include <future>
#include <optional>
#include <vector>

namespace orvendel::cli {

// A delay as listed, with its heat and its 1-based position.
struct ListedDelay {
    HeatPtr heat;
    DelayPtr delay;
    std::size_t position = 0;
};

// The listed heat with that number; none (and the reply failed) when it is not listed.
HeatPtr findHeatByNumber(const std::vector<HeatPtr>& heats, int heatNumber, Reply& reply);
// Delay N of heat HEAT as listed; none (and the reply failed) when there is no such delay.
std::optional<ListedDelay> findListedDelay(const std::vector<HeatPtr>& heats, const DelayRef& ref, Reply& reply);
// Where the delay of a heat starting at `start` is listed now; none when it is not.
std::optional<ListedDelay> listedDelayAt(const std::vector<HeatPtr>& heats, int heatId, Instant start);

// The stored lists, waited for (their completions run on the database's queue, which never needs the
// caller's thread); the store's error when it cannot be read.
Result<std::vector<Furnace>> storedFurnaces(const flows::Context& core);
// The stored reasons of the selected furnace.
Result<std::vector<Reason>> storedReasons(const flows::Context& core);
std::vector<DelayPtr> allEditedDelays(const flows::Context& core);
// The edits taken back from the journal at sign-in and not changed since.
std::vector<DelayPtr> restoredEditedDelays(const flows::Context& core);

// Waits for a value delivered to a completion on another thread.
template <typename T, typename Start>
T awaitCompletion(Start&& start)
{
    std::promise<T> promise;
    auto future = promise.get_future();
    start([&promise](T value) { promise.set_value(std::move(value)); });
    return future.get();
}

} // namespace orvendel::cli
