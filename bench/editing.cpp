// Rebuild input of a furnace's day: every heat's stored delays with the unsaved edits laid over them.
#include "core/editing/overlay.hpp"
#include "core/model/delay.hpp"
#include "core/model/heat.hpp"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using namespace orvendel;
using namespace std::chrono;

constexpr int kHeats = 60;
constexpr int kDelaysPerHeat = 25;
constexpr int kEdits = 200;

struct Day {
    std::vector<Heat> heats;
    std::vector<DelayPtr> edits; // store order
};

Day makeDay()
{
    Day day;
    const Instant dayStart = sys_days{year{2024} / 3 / 7};
    const TimeZone zone{-6 * 3600};
    int nextId = 1000;
    for (int h = 0; h < kHeats; ++h) {
        Heat heat;
        heat.furnaceId = 3;
        heat.heatId = 500 + h;
        heat.heatNumber = 24000 + h;
        std::vector<DelayPtr> delays;
        for (int d = 0; d < kDelaysPerHeat; ++d) {
            const Instant start = dayStart + minutes{24 * h} + seconds{50 * d};
            // Stored order is the database's; reverse it so the overlay really sorts.
            delays.insert(delays.begin(),
                          std::make_shared<Delay>(heat.heatId, nextId++, d % 4, "Electrode change", "ELEC",
                                                  ZonedDateTime{start, zone}, ZonedDateTime{start + seconds{40}, zone},
                                                  "rgb(10, 20, 30)", "2024-03-07T08:00:00.123", std::nullopt));
        }
        heat.delays = std::move(delays);
        day.heats.push_back(std::move(heat));
    }
    // Edits spread over the heats: reason edits, split pairs and a few made against an older version.
    for (int e = 0; e < kEdits; ++e) {
        const auto& stored = *day.heats[static_cast<std::size_t>((e * 7) % kHeats)].delays;
        const auto& source = stored[static_cast<std::size_t>((e * 11) % kDelaysPerHeat)];
        auto edit = source->copy();
        edit->isEdited = true;
        edit->reasonId = 9;
        if (e % 10 == 0) {
            edit->timestamp = "2024-03-06T08:00:00.000";
        } else if (e % 5 == 0) {
            edit->isSplitted = true;
            edit->baseDelayId = source->delayId;
            edit->delayId.reset();
            edit->startDate.date += seconds{20};
        }
        day.edits.push_back(std::move(edit));
    }
    return day;
}

void BM_OverlayFurnaceDay(benchmark::State& state)
{
    const Day day = makeDay();
    for (auto _ : state) {
        std::unordered_map<int, std::vector<DelayPtr>> editsByHeat;
        for (const auto& edit : day.edits) {
            editsByHeat[edit->heatId].push_back(edit);
        }
        bool editedDelaysRemoved = false;
        std::size_t shown = 0;
        std::vector<DelayPtr> stale;
        for (const auto& heat : day.heats) {
            const auto found = editsByHeat.find(heat.heatId);
            if (!heat.delays || heat.delays->empty() || found == editsByHeat.end()) {
                shown += heat.delays ? heat.delays->size() : 0;
                continue;
            }
            auto result = overlayEditedDelays(*heat.delays, found->second);
            editedDelaysRemoved = editedDelaysRemoved || result.editedDelaysRemoved;
            stale.insert(stale.end(), result.staleEdits.begin(), result.staleEdits.end());
            shown += result.delays.size();
            benchmark::DoNotOptimize(result.delays.data());
        }
        benchmark::DoNotOptimize(shown);
        benchmark::DoNotOptimize(editedDelaysRemoved);
        benchmark::DoNotOptimize(stale.data());
    }
    state.SetItemsProcessed(state.iterations() * kHeats * kDelaysPerHeat);
}
BENCHMARK(BM_OverlayFurnaceDay)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
