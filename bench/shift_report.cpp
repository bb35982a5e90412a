// The shift report of a busy day (1,550 delays, 62 per heat) and of 100,000 delays, generated in memory:
// the tally (whole day and every shift) with the whole day's table, against a bare loop that sums the same
// delays by reason id in a hash map. The ratios (ours / bare) are printed after the table; the aim is 2x.
#include "core/screens/shift_report.hpp"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <chrono>
#include <map>
#include <random>
#include <unordered_map>
#include <vector>

namespace {

using namespace orvendel;
using namespace std::chrono;

constexpr int kDelaysPerHeat = 62;

// A plant's tree: 7 categories, 3 groups each, 4 reasons per group; names as long as a plant's ("Transformer
// cooling alarm"), longer than a string keeps without an allocation, as copying them is part of the cost.
std::vector<Reason> plantReasons()
{
    std::vector<Reason> rows;
    int category = 1;
    int reason = 1;
    for (int c = 0; c < 7; ++c) {
        const int top = category++;
        rows.push_back(
            {std::nullopt, top, std::nullopt, fmt::format("Electrical supply {}", c), fmt::format("C{}", c), ""});
        for (int g = 0; g < 3; ++g) {
            const int group = category++;
            rows.push_back({std::nullopt, group, top, fmt::format("Transformer group {}.{}", c, g), "", ""});
            for (int r = 0; r < 4; ++r) {
                rows.push_back({reason, category++, group, fmt::format("Transformer cooling alarm {}", reason),
                                fmt::format("R{}", reason), "rgb(10, 20, 30)"});
                ++reason;
            }
        }
    }
    return rows;
}

// Heats of an hour back to back, their delays one after another; a quarter unclassified.
std::vector<HeatPtr> makeHeats(int delays)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> reasonOf(0, 111);
    const Instant start = sys_days{2024y / March / 7};
    std::vector<HeatPtr> heats;
    for (int made = 0; made < delays;) {
        auto heat = std::make_shared<Heat>();
        heat->heatId = static_cast<int>(heats.size()) + 1;
        heat->startDate.date = start + hours{heats.size()};
        heat->endDate.date = heat->startDate.date + 1h;
        heat->delays.emplace();
        for (int i = 0; i < kDelaysPerHeat && made < delays; ++i, ++made) {
            auto delay = std::make_shared<Delay>();
            delay->heatId = heat->heatId;
            const int drawn = reasonOf(rng);
            delay->reasonId = drawn < 84 ? drawn + 1 : 0;
            delay->startDate.date = heat->startDate.date + seconds{i * 58};
            delay->endDate.date = delay->startDate.date + seconds{20 + i % 30};
            heat->delays->push_back(delay);
        }
        heats.push_back(heat);
    }
    return heats;
}

void ShiftReport(benchmark::State& state)
{
    const auto heats = makeHeats(static_cast<int>(state.range(0)));
    const screens::ReasonTree tree(plantReasons());
    const screens::ShiftReportInput input{1,
                                          &heats,
                                          &tree,
                                          screens::ShiftSchedule::standard(),
                                          screens::fixedZone(TimeZone{3600}),
                                          sys_days{2100y / 1 / 1}};
    for (auto _ : state) {
        const auto tally = screens::tallyShiftReport(input);
        auto table = screens::reportTable(tally, 0, screens::ReportGrouping::reason);
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BareSumByReason(benchmark::State& state)
{
    const auto heats = makeHeats(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::unordered_map<int, nanoseconds> sums;
        for (const auto& heat : heats) {
            for (const auto& delay : *heat->delays) {
                sums[delay->reasonId] += delay->endDate.date - delay->startDate.date;
            }
        }
        benchmark::DoNotOptimize(sums);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(ShiftReport)->Arg(1550)->Arg(100000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BareSumByReason)->Arg(1550)->Arg(100000)->Unit(benchmark::kMicrosecond)->UseRealTime();

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions the median stands for the benchmark (and is all there is with aggregates only).
        for (const auto& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.str()] = run.GetAdjustedRealTime();
            } else if (run.run_type == Run::RT_Iteration) {
                times[run.run_name.str()] = run.GetAdjustedRealTime();
            }
        }
    }

    void printRatios()
    {
        for (const auto& [name, time] : medians) {
            times[name] = time;
        }
        fmt::print("\n{:>8}  {:>24}\n", "delays", "shift report / bare sum");
        for (const char* count : {"1550", "100000"}) {
            const auto a = times.find(std::string("ShiftReport/") + count + "/real_time");
            const auto b = times.find(std::string("BareSumByReason/") + count + "/real_time");
            fmt::print("{:>8}  {:>24}\n", count,
                       a == times.end() || b == times.end() ? std::string("-")
                                                            : fmt::format("{:.2f}x", a->second / b->second));
        }
    }

    std::map<std::string, double> times;
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
