#include "core/editing/edited_delays_manager.hpp"
#include "core/support/log.hpp"

#include "editing_fixtures.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <latch>
#include <random>
#include <thread>

namespace orvendel {
namespace {

using testing::at;
using testing::makeDelay;
using testing::snapshot;

// What one writer's operations on its own heat leave in the store, and how many posts they cause: the
// store applies each caller's operations in call order, and entries of other heats never affect them.
struct SerialModel {
    std::vector<DelayPtr> entries;
    int posts = 0;

    void add(const DelayPtr& delay)
    {
        auto same = std::find_if(entries.begin(), entries.end(),
                                 [&](const DelayPtr& e) { return e->startDate.date == delay->startDate.date; });
        if (same != entries.end()) {
            entries.erase(same);
            ++posts;
        }
        entries.push_back(delay);
        ++posts;
    }
    void removeStart(Instant start)
    {
        auto found =
            std::find_if(entries.begin(), entries.end(), [&](const DelayPtr& e) { return e->startDate.date == start; });
        if (found != entries.end()) {
            entries.erase(found);
            ++posts;
        }
    }
    void removeFamily(int id)
    {
        posts += static_cast<int>(
            std::erase_if(entries, [&](const DelayPtr& e) { return e->delayId == id || e->baseDelayId == id; }));
    }
    void removeAll()
    {
        entries.clear();
        ++posts;
    }
};

TEST(EditedDelaysManagerConcurrency, ManyWritersAndAReaderEndAsTheirSerialOrdersPredict)
{
    const LogSink previousSink = setLogSink([](std::string_view) {});
    constexpr int kWriters = 6;
    constexpr int kOperations = 300;

    NotificationCenter center;
    testing::OperationCounter operations{center};
    EditedDelaysManager store{center};
    std::vector<SerialModel> models(kWriters);

    std::atomic<bool> writing{true};
    std::atomic<long> observedEntries{0};
    std::atomic<long> reads{0};
    // The writers start once the reader runs: on a busy machine they could otherwise all be done before it.
    std::latch readerRunning(1);
    std::thread reader([&] {
        std::mt19937 random(99);
        readerRunning.count_down();
        while (writing) {
            const int heat = 1 + static_cast<int>(random() % kWriters);
            (void)store.hasEditedDelays(heat);
            store.getEditedDelays(heat, [&](std::vector<DelayPtr> list) {
                for (const auto& delay : list) {
                    // Reads the shared records the writers handed over.
                    observedEntries += delay->heatId == heat && delay->startDate.date >= at(0) ? 1 : 0;
                }
            });
            store.getAllEditedDelays([&](std::vector<DelayPtr> list) {
                observedEntries += static_cast<long>(list.size());
                ++reads;
            });
        }
    });
    readerRunning.wait();

    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            const int heat = w + 1;
            std::mt19937 random(static_cast<unsigned>(w) * 7919u + 1u);
            auto& model = models[static_cast<std::size_t>(w)];
            for (int i = 0; i < kOperations; ++i) {
                const int slot = static_cast<int>(random() % 12);
                const int choice = static_cast<int>(random() % 100);
                if (choice < 60) {
                    auto delay = makeDelay(heat, slot % 3 == 0 ? std::nullopt : std::optional<int>(slot), slot * 60.0,
                                           slot * 60.0 + 30);
                    if (!delay->delayId) {
                        delay->baseDelayId = slot + 1;
                    }
                    model.add(delay);
                    store.addEditedDelay(delay);
                } else if (choice < 80) {
                    model.removeStart(at(slot * 60.0));
                    store.removeEditedDelay(at(slot * 60.0), heat);
                } else if (choice < 97) {
                    model.removeFamily(slot);
                    store.removeEditedDelaysWithDelayId(slot, heat);
                } else {
                    model.removeAll();
                    store.removeAllEditedDelays(heat, {});
                }
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    writing = false;
    reader.join();

    int expectedPosts = 0;
    for (int w = 0; w < kWriters; ++w) {
        std::vector<DelayPtr> ofHeat;
        store.getEditedDelays(w + 1, [&](std::vector<DelayPtr> list) { ofHeat = std::move(list); });
        store.drain();
        EXPECT_EQ(ofHeat, models[static_cast<std::size_t>(w)].entries) << "heat " << w + 1;
        expectedPosts += models[static_cast<std::size_t>(w)].posts;
    }
    EXPECT_EQ(operations.count, expectedPosts);
    EXPECT_GT(reads.load(), 0) << "the reader read while the writers wrote (" << observedEntries << " entries seen)";
    setLogSink(previousSink);
}

} // namespace
} // namespace orvendel
