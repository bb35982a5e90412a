// storeDelays and fetchLast24HoursHeats beside a bare SQLite loop over the same rows and the same query,
// for 1,500, 10,000 and 100,000 delays. The ratios (ours / bare) are printed after the table.
// The bare side does the work the product cannot skip: the same transaction shape and statement, the same
// query text, and every row decoded into the same heat and delay records (dates parsed, texts copied).
// A store is timed from the call to its completion, as the caller waits for it: handing over a fresh
// copy of the rows and letting them go afterwards are left out of the timing on both sides.
#include "core/model/downloaded_heat.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/database_schema.hpp"

#include <benchmark/benchmark.h>
#include <fmt/chrono.h>
#include <fmt/format.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>
#include <set>
#include <unordered_map>

namespace {

using namespace orvendel;

constexpr int furnaceId = 7;
constexpr int delaysPerHeat = 10;

std::filesystem::path benchFolder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvendel-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::abort();
        }
        return std::filesystem::path(pattern);
    }();
    return folder;
}

std::string isoText(std::int64_t secondsSinceEpoch)
{
    const auto instant = std::chrono::sys_seconds{std::chrono::seconds{secondsSinceEpoch}};
    return fmt::format("{:%Y-%m-%dT%H:%M:%S}Z", instant);
}

// Heats spread over the last day before a fixed end, so the fetch returns every delay.
std::vector<DownloadedHeat> makeHeats(int delayCount)
{
    const std::int64_t newestEnd = 1552000000;
    const int heatCount = (delayCount + delaysPerHeat - 1) / delaysPerHeat;
    const std::int64_t spacing = std::max<std::int64_t>(1, 86000 / heatCount);
    std::vector<DownloadedHeat> heats;
    int remaining = delayCount;
    for (int h = 0; h < heatCount; ++h) {
        DownloadedHeat heat;
        heat.heatId = h + 1;
        heat.heatNumber = 1000 + h;
        const std::int64_t end = newestEnd - spacing * (heatCount - 1 - h);
        heat.startDate = isoText(end - 3000);
        heat.endDate = isoText(end);
        for (int d = 0; d < delaysPerHeat && remaining > 0; ++d, --remaining) {
            DownloadedDelay delay;
            delay.delayId = h * delaysPerHeat + d + 1;
            delay.reasonId = 1 + d % 5;
            delay.reasonDescription = "Reason";
            delay.startDate = isoText(end - 3000 + d * 200);
            delay.endDate = isoText(end - 3000 + d * 200 + 100);
            delay.timestamp = isoText(end);
            if (d % 3 == 0) {
                delay.comment = "waiting for scrap";
            }
            heat.delays.push_back(delay);
        }
        heats.push_back(std::move(heat));
    }
    return heats;
}

std::vector<Reason> makeReasons()
{
    std::vector<Reason> reasons;
    for (int i = 1; i <= 5; ++i) {
        Reason reason;
        reason.id = i;
        reason.categoryId = 100 + i;
        reason.description = fmt::format("Reason {}", i);
        reason.shortDescription = fmt::format("R{}", i);
        reason.colorString = "rgb(255, 255, 255)"; // the reply's default
        reasons.push_back(reason);
    }
    return reasons;
}

template <typename Value, typename Start>
Value await(Start start)
{
    std::promise<Value> promise;
    auto future = promise.get_future();
    start([&promise](Value value) { promise.set_value(std::move(value)); });
    return future.get();
}

// The manager on its own user folder, with reasons stored and one set of delays.
struct ManagerFixture {
    explicit ManagerFixture(int delayCount) : heats(makeHeats(delayCount))
    {
        if (!manager.openUserDatabase(fmt::format("bench{}", delayCount))) {
            std::abort();
        }
        if (!await<Result<void>>([&](auto done) { manager.storeReasons(furnaceId, makeReasons(), done); })) {
            std::abort();
        }
        store();
    }
    // True when the delays were stored.
    bool store() { return store(heats); }
    bool store(std::vector<DownloadedHeat> rows)
    {
        return bool(await<Result<void>>([&](auto done) { manager.storeDelays(furnaceId, std::move(rows), done); }));
    }

    DatabaseManager manager{{[] { return std::optional(benchFolder() / "data"); }}};
    std::vector<DownloadedHeat> heats;
};

// The same tables through the bare C API: one statement prepared once, reused for every row.
struct BareFixture {
    explicit BareFixture(int delayCount) : heats(makeHeats(delayCount))
    {
        const auto path = benchFolder() / fmt::format("bare{}.sqlite", delayCount);
        std::filesystem::remove(path);
        sqlite3_open(path.c_str(), &db);
        exec(fmt::format("CREATE TABLE IF NOT EXISTS main.Delays{}", schema::delaysColumns));
        exec(fmt::format("CREATE TABLE IF NOT EXISTS main.Reasons{}", schema::reasonsColumns));
        for (const auto& reason : makeReasons()) {
            exec(fmt::format("INSERT INTO Reasons VALUES ({}, {}, NULL, {}, '{}', '{}', '{}')", furnaceId,
                             reason.categoryId, *reason.id, reason.description, reason.shortDescription,
                             reason.colorString));
        }
        store();
    }
    ~BareFixture() { sqlite3_close(db); }

    void exec(const std::string& sql)
    {
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::abort();
        }
    }

    static void bindText(sqlite3_stmt* statement, int position, const std::string& text)
    {
        sqlite3_bind_text(statement, position, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    }

    void store()
    {
        exec("begin exclusive transaction");
        exec(fmt::format("DELETE FROM Delays WHERE FurnaceId = {}", furnaceId));
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, schema::insertDelay.data(), static_cast<int>(schema::insertDelay.size()), &insert,
                           nullptr);
        for (const auto& heat : heats) {
            for (const auto& delay : heat.delays) {
                sqlite3_bind_int(insert, 1, furnaceId);
                sqlite3_bind_int(insert, 2, heat.heatId);
                sqlite3_bind_int(insert, 3, heat.heatNumber);
                bindText(insert, 4, heat.startDate);
                bindText(insert, 5, heat.endDate);
                if (delay.delayId) {
                    sqlite3_bind_int(insert, 6, *delay.delayId);
                } else {
                    sqlite3_bind_null(insert, 6);
                }
                bindText(insert, 7, delay.startDate);
                bindText(insert, 8, delay.endDate);
                sqlite3_bind_int(insert, 9, delay.reasonId);
                bindText(insert, 10, delay.reasonDescription);
                bindText(insert, 11, delay.timestamp);
                if (delay.comment) {
                    bindText(insert, 12, *delay.comment);
                } else {
                    sqlite3_bind_null(insert, 12);
                }
                if (sqlite3_step(insert) != SQLITE_DONE) {
                    std::abort();
                }
                sqlite3_reset(insert);
            }
        }
        sqlite3_finalize(insert);
        exec("commit transaction");
    }

    static std::optional<std::string_view> text(sqlite3_stmt* query, int column)
    {
        const auto* characters = reinterpret_cast<const char*>(sqlite3_column_text(query, column));
        if (!characters) {
            return std::nullopt;
        }
        return std::string_view(characters, static_cast<std::size_t>(sqlite3_column_bytes(query, column)));
    }
    static std::optional<ZonedDateTime> date(sqlite3_stmt* query, int column)
    {
        const auto characters = text(query, column);
        return characters ? ZonedDateTime::fromText(*characters) : std::nullopt;
    }

    // Steps the fetch's query and decodes every row into the heats and delays the product hands out.
    std::vector<HeatPtr> read()
    {
        const std::string sql = schema::last24HoursQuery(furnaceId);
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &query, nullptr);
        std::vector<HeatPtr> heats;
        std::unordered_map<int, Heat*> byId;
        while (sqlite3_step(query) == SQLITE_ROW) {
            const int heatId = sqlite3_column_int(query, 2);
            Heat*& target = byId[heatId];
            if (!target) {
                const auto start = date(query, 4);
                const auto end = date(query, 5);
                if (!start || !end) {
                    continue;
                }
                auto heat = std::make_shared<Heat>();
                heat->furnaceId = sqlite3_column_int(query, 0);
                heat->heatId = heatId;
                heat->heatNumber = sqlite3_column_int(query, 3);
                heat->startDate = *start;
                heat->endDate = *end;
                heat->delays.emplace();
                target = heat.get();
                heats.push_back(std::move(heat));
            }
            const auto description = text(query, 7);
            const auto shortDescription = text(query, 8);
            const auto color = text(query, 9);
            const auto timestamp = text(query, 12);
            const auto start = date(query, 10);
            const auto end = date(query, 11);
            if (!description || !shortDescription || !color || !timestamp || !start || !end) {
                continue;
            }
            const auto comment = text(query, 13);
            target->delays->push_back(std::make_shared<Delay>(
                heatId, sqlite3_column_int(query, 1), sqlite3_column_int(query, 6), std::string(*description),
                std::string(*shortDescription), *start, *end, std::string(*color), std::string(*timestamp),
                comment ? std::optional<std::string>(*comment) : std::nullopt));
        }
        sqlite3_finalize(query);
        return heats;
    }

    sqlite3* db = nullptr;
    std::vector<DownloadedHeat> heats;
};

void StoreDelays(benchmark::State& state)
{
    ManagerFixture fixture(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto rows = fixture.heats;
        state.ResumeTiming();
        if (!fixture.store(std::move(rows))) {
            state.SkipWithError("the store failed");
            return;
        }
        state.PauseTiming();
        // The rows are let go on the queue after the completion; the next store must not wait for that.
        fixture.manager.databaseQueue().drain();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BareInsert(benchmark::State& state)
{
    BareFixture fixture(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        fixture.store();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void FetchLast24HoursHeats(benchmark::State& state)
{
    ManagerFixture fixture(static_cast<int>(state.range(0)));
    std::size_t delays = 0;
    for (auto _ : state) {
        auto heats = await<Result<std::vector<HeatPtr>>>(
            [&](auto done) { fixture.manager.fetchLast24HoursHeats(furnaceId, done); });
        if (!heats) {
            state.SkipWithError(heats.error().description.c_str());
            return;
        }
        delays = 0;
        for (const auto& heat : *heats) {
            delays += heat->delays->size();
        }
    }
    if (delays != static_cast<std::size_t>(state.range(0))) {
        state.SkipWithError("the fetch did not return every delay");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BareRead(benchmark::State& state)
{
    BareFixture fixture(static_cast<int>(state.range(0)));
    std::size_t rows = 0;
    for (auto _ : state) {
        const auto heats = fixture.read();
        rows = 0;
        for (const auto& heat : heats) {
            rows += heat->delays->size();
        }
    }
    if (rows != static_cast<std::size_t>(state.range(0))) {
        state.SkipWithError("the bare read did not return every row");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(StoreDelays)->Arg(1500)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BareInsert)->Arg(1500)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FetchLast24HoursHeats)->Arg(1500)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BareRead)->Arg(1500)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the table as usual and remembers each run's time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            // With --benchmark_repetitions the median stands for the run; without, the single run does.
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times[name] = run.GetAdjustedRealTime();
                medians.insert(name);
            } else if (run.run_type == Run::RT_Iteration && !medians.contains(name)) {
                times[name] = run.GetAdjustedRealTime();
            }
        }
    }

    void printRatios() const
    {
        fmt::print("\n{:>8}  {:>22}  {:>22}\n", "delays", "storeDelays / bare", "fetch / bare read");
        for (const char* count : {"1500", "10000", "100000"}) {
            const auto ratio = [&](const std::string& ours, const std::string& bare) {
                const auto a = times.find(ours + "/" + count + "/real_time");
                const auto b = times.find(bare + "/" + count + "/real_time");
                return a == times.end() || b == times.end() ? std::string("-")
                                                            : fmt::format("{:.2f}x", a->second / b->second);
            };
            fmt::print("{:>8}  {:>22}  {:>22}\n", count, ratio("StoreDelays", "BareInsert"),
                       ratio("FetchLast24HoursHeats", "BareRead"));
        }
    }

    std::map<std::string, double> times;
    std::set<std::string> medians;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    std::error_code ignored;
    std::filesystem::remove_all(benchFolder(), ignored);
    benchmark::Shutdown();
    return 0;
}
