// What keeping unsaved edits on disk costs per edit: the edit store with and without its journal, against
// the least any crash-safe write can cost — a bare SQLite transaction (WAL, synced on commit) that deletes
// one row and inserts one, on a prepared statement.
#include "core/editing/edit_journal.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/support/log.hpp"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

using namespace orvendel;
using namespace std::chrono;

namespace fs = std::filesystem;

constexpr int kDelays = 40; // one heat's worth of delays being classified in turn

DelayPtr edit(int index)
{
    const Instant start = sys_days{year{2024} / 3 / 7} + seconds{60 * index};
    const TimeZone zone{-6 * 3600};
    auto delay = std::make_shared<Delay>(500, 1000 + index, 9, "Electrode change", "ELEC", ZonedDateTime{start, zone},
                                         ZonedDateTime{start + seconds{40}, zone}, "rgb(10, 20, 30)",
                                         "2024-03-07T08:00:00.123", std::string("Tap changer stuck"));
    delay->isEdited = true;
    return delay;
}

fs::path scratchFolder(const char* name)
{
    const auto folder = fs::temp_directory_path() / (std::string("orvendel-bench-") + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// Each iteration re-classifies one delay: the store replaces its entry (remove + append) and waits for it.
void runEdits(benchmark::State& state, EditedDelaysManager& store)
{
    int index = 0;
    for (auto _ : state) {
        store.addEditedDelay(edit(index));
        store.drain();
        index = (index + 1) % kDelays;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_EditStoreInMemory(benchmark::State& state)
{
    const LogSink previous = setLogSink([](std::string_view) {});
    NotificationCenter center;
    EditedDelaysManager store(center);
    runEdits(state, store);
    setLogSink(previous);
}
BENCHMARK(BM_EditStoreInMemory);

void BM_EditStoreJournalled(benchmark::State& state)
{
    const LogSink previous = setLogSink([](std::string_view) {});
    const auto folder = scratchFolder("journal");
    {
        NotificationCenter center;
        EditedDelaysManager store(center);
        store.openJournal(folder / EditJournal::fileName);
        runEdits(state, store);
    }
    fs::remove_all(folder);
    setLogSink(previous);
}
BENCHMARK(BM_EditStoreJournalled);

// The baseline: the same durable change written by hand, with nothing around it.
void BM_BareSqliteTransaction(benchmark::State& state)
{
    const auto folder = scratchFolder("bare");
    sqlite3* db = nullptr;
    sqlite3_open((folder / "bare.sqlite").c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; CREATE TABLE t(id INTEGER PRIMARY KEY "
                 "AUTOINCREMENT, heatId INTEGER, delayId INTEGER, start INTEGER, comment TEXT);",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* remove = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "DELETE FROM t WHERE id = ?", -1, &remove, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO t (heatId, delayId, start, comment) VALUES (?, ?, ?, ?)", -1, &insert, nullptr);
    sqlite3_int64 last = 0;
    int index = 0;
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_int64(remove, 1, last);
        sqlite3_step(remove);
        sqlite3_reset(remove);
        sqlite3_bind_int(insert, 1, 500);
        sqlite3_bind_int(insert, 2, 1000 + index);
        sqlite3_bind_int64(insert, 3, index * 60LL);
        sqlite3_bind_text(insert, 4, "Tap changer stuck", -1, SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
        last = sqlite3_last_insert_rowid(db);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        index = (index + 1) % kDelays;
    }
    sqlite3_finalize(remove);
    sqlite3_finalize(insert);
    sqlite3_close(db);
    fs::remove_all(folder);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareSqliteTransaction);

} // namespace

BENCHMARK_MAIN();
