// Decoding the largest reply the app receives, the last 24 hours of a furnace, against a bare parse of
// the same bytes: the difference is the cost of the strict walk into typed records.
#include "core/service/wire/messages.hpp"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <fmt/format.h>

#include <cstdlib>
#include <map>
#include <string>

namespace {

using namespace orvendel;
using namespace orvendel::wire;

constexpr int delaysPerHeat = 5;

// A reply with `delayCount` delays, built once per size.
const std::string& lastDayReply(int delayCount)
{
    static std::map<int, std::string> replies;
    auto found = replies.find(delayCount);
    if (found != replies.end()) {
        return found->second;
    }
    DelaysDownloaderResult reply;
    reply.resultInformation.success = true;
    reply.data.emplace();
    const int heatCount = (delayCount + delaysPerHeat - 1) / delaysPerHeat;
    int made = 0;
    for (int h = 0; h < heatCount; ++h) {
        JSON_Heat heat;
        heat.furnaceId = 2;
        heat.heatId = 48000 + h;
        heat.heatNumber = 190000 + h;
        heat.startDate = fmt::format("2019-03-07T{:02}:{:02}:00-06:00", h / 60 % 24, h % 60);
        heat.endDate = fmt::format("2019-03-07T{:02}:{:02}:45-06:00", h / 60 % 24, h % 60);
        heat.delays.emplace();
        for (int d = 0; d < delaysPerHeat && made < delayCount; ++d, ++made) {
            JSON_Delay delay;
            delay.delayId = 900000 + made;
            delay.reasonId = 10 + made % 40;
            delay.reasonDescription = fmt::format("Reason number {}", made % 40);
            delay.startDate = fmt::format("2019-03-07T{:02}:{:02}:{:02}-06:00", h / 60 % 24, h % 60, d * 10);
            delay.endDate = fmt::format("2019-03-07T{:02}:{:02}:{:02}-06:00", h / 60 % 24, h % 60, d * 10 + 5);
            delay.timestamp = fmt::format("AAAAAAA{:05}=", made);
            if (made % 3 == 0) {
                delay.comment = "Electrode change on phase 2, waited for crane";
            }
            heat.delays->push_back(std::move(delay));
        }
        reply.data->push_back(std::move(heat));
    }
    return replies.emplace(delayCount, *encode(reply)).first->second;
}

void BM_DecodeLastDayReply(benchmark::State& state)
{
    const std::string& bytes = lastDayReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto decoded = decode<DelaysDownloaderResult>(bytes);
        if (!decoded) {
            state.SkipWithError(decoded.error().description.c_str());
            break;
        }
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    state.counters["delays"] = static_cast<double>(state.range(0));
}

void BM_BareJsonParse(benchmark::State& state)
{
    const std::string& bytes = lastDayReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto document = nlohmann::json::parse(bytes);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    state.counters["delays"] = static_cast<double>(state.range(0));
}

BENCHMARK(BM_DecodeLastDayReply)->Arg(1500)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareJsonParse)->Arg(1500)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
