#pragma once

#include "core/editing/edited_delays_manager.hpp"
#include "core/model/delay.hpp"
#include "core/support/notification_center.hpp"

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::testing {

// 2024-03-07 14:00:00 UTC, the start of every test heat.
inline Instant at(double seconds)
{
    using namespace std::chrono;
    const Instant base = sys_days{year{2024} / 3 / 7} + hours{14};
    return base + round<Instant::duration>(duration<double>(seconds));
}

inline DelayPtr makeDelay(int heatId, std::optional<int> delayId, double startSeconds, double endSeconds,
                          std::string timestamp = "v1", std::optional<std::string> comment = std::nullopt)
{
    const TimeZone zone{-6 * 3600};
    return std::make_shared<Delay>(heatId, delayId, 7, "Electrode change", "ELEC",
                                   ZonedDateTime{at(startSeconds), zone}, ZonedDateTime{at(endSeconds), zone},
                                   "rgb(10, 20, 30)", std::move(timestamp), std::move(comment));
}

// Counts "EditedDelaysManagerOperationHasBeenMade" on a private centre.
struct OperationCounter {
    explicit OperationCounter(NotificationCenter& center)
        : token(center.observe<editing_notifications::OperationHasBeenMade>(
              [this](const editing_notifications::OperationHasBeenMade&) { ++count; }))
    {}
    std::atomic<int> count{0};
    ObserverToken token;
};

inline std::vector<DelayPtr> snapshot(EditedDelaysManager& store)
{
    std::vector<DelayPtr> result;
    store.getAllEditedDelays([&](std::vector<DelayPtr> list) { result = std::move(list); });
    store.drain();
    return result;
}

} // namespace orvendel::testing
