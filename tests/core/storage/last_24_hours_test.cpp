#include "core/storage/database_manager.hpp"
#include "storage_test_support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// Reading the last 24 hours back when the stored texts carry different zones or cannot be read.
namespace orvendel {
namespace {

using test::await;

DownloadedDelay delay(int id, std::string start, std::string end)
{
    DownloadedDelay d;
    d.delayId = id;
    d.reasonId = 11;
    d.reasonDescription = "from the reply";
    d.startDate = std::move(start);
    d.endDate = std::move(end);
    d.timestamp = "2019-03-07T10:00:00Z";
    return d;
}

DownloadedHeat heat(int heatId, std::string end, std::vector<DownloadedDelay> delays)
{
    DownloadedHeat h;
    h.heatId = heatId;
    h.heatNumber = heatId * 10;
    h.startDate = "2019-03-06T00:00:00Z";
    h.endDate = std::move(end);
    h.delays = std::move(delays);
    return h;
}

class LastDayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(manager.openUserDatabase("jdoe"));
        ASSERT_TRUE(await<Result<void>>([&](auto done) {
            manager.storeReasons(7, {Reason{11, 1, std::nullopt, "Crane", "CR", "rgb(1, 2, 3)"}}, done);
        }));
    }

    std::vector<HeatPtr> storeAndFetch(std::vector<DownloadedHeat> heats)
    {
        EXPECT_TRUE(await<Result<void>>([&](auto done) { manager.storeDelays(7, std::move(heats), done); }));
        auto fetched = await<Result<std::vector<HeatPtr>>>([&](auto done) { manager.fetchLast24HoursHeats(7, done); });
        EXPECT_TRUE(fetched);
        return fetched.valueOr(std::vector<HeatPtr>{});
    }

    static std::vector<int> heatIds(const std::vector<HeatPtr>& heats)
    {
        std::vector<int> ids;
        for (const auto& h : heats) {
            ids.push_back(h->heatId);
        }
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    test::TestApplicationSupportDirectory applicationSupportDirectory;
    DatabaseManager manager{{applicationSupportDirectory.source()}};
};

TEST_F(LastDayTest, TheNewestHeatIsTheLatestInstantWhateverItsZone)
{
    const auto oneDelay = std::vector{delay(1, "2019-03-07T08:00:00Z", "2019-03-07T08:10:00Z")};
    // As texts heat 1 sorts last, but heat 2 ended nine hours later: the window runs back from heat 2's end
    // (14:00 UTC on the 8th) and leaves out heat 3, which ended at 12:00 UTC on the 7th.
    const auto heats =
        storeAndFetch({heat(1, "2019-03-08T10:00:00+05:00", oneDelay), heat(2, "2019-03-08T08:00:00-06:00", oneDelay),
                       heat(3, "2019-03-07T12:00:00Z", oneDelay)});
    EXPECT_EQ(heatIds(heats), (std::vector<int>{1, 2}));
}

TEST_F(LastDayTest, ADelayIsSkippedWhenEitherEndIsUnreadable)
{
    const auto heats =
        storeAndFetch({heat(1, "2019-03-07T09:00:00Z",
                            {delay(1, "2019-03-07T08:00:00Z", "garbage"), delay(2, "garbage", "2019-03-07T08:10:00Z"),
                             delay(3, "2019-03-07T08:20:00Z", "2019-03-07T08:30:00Z")})});
    ASSERT_EQ(heats.size(), 1u);
    ASSERT_EQ(heats[0]->delays->size(), 1u);
    EXPECT_EQ(heats[0]->delays->at(0)->delayId, 3);
}

Reason reasonRow(std::optional<int> id, int category, std::optional<int> parent, std::string description)
{
    std::string shortDescription = description.substr(0, 2);
    return Reason{id, category, parent, std::move(description), std::move(shortDescription), "rgb(1, 2, 3)"};
}

TEST_F(LastDayTest, AReasonUnderSeveralCategoriesListsEachDelayOnceWithTheLaterRowsTexts)
{
    // Reason 11 arrives under two categories, 12 once; the later 11 is the one the reason tree keeps.
    const std::vector<Reason> tree{reasonRow(std::nullopt, 1, std::nullopt, "Mechanical"),
                                   reasonRow(11, 1, 1, "Crane early"), reasonRow(12, 1, 1, "Ladle"),
                                   reasonRow(std::nullopt, 2, std::nullopt, "Electrical"),
                                   reasonRow(11, 2, 2, "Crane later")};
    ASSERT_TRUE(await<Result<void>>([&](auto done) { manager.storeReasons(7, tree, done); }));
    auto other = delay(3, "2019-03-07T08:20:00Z", "2019-03-07T08:30:00Z");
    other.reasonId = 12;
    const auto heats = storeAndFetch({heat(1, "2019-03-07T09:00:00Z",
                                           {delay(1, "2019-03-07T08:00:00Z", "2019-03-07T08:05:00Z"),
                                            delay(2, "2019-03-07T08:10:00Z", "2019-03-07T08:15:00Z"), other})});
    ASSERT_EQ(heats.size(), 1u);
    std::vector<std::pair<int, std::string>> listed;
    for (const auto& d : *heats[0]->delays) {
        listed.emplace_back(d->delayId.value_or(-1), d->reasonDescription + "/" + d->reasonShortDescription);
    }
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::pair<int, std::string>>{
                          {1, "Crane later/Cr"}, {2, "Crane later/Cr"}, {3, "Ladle/La"}}));

    const auto reasons = await<Result<std::vector<ReasonPtr>>>([&](auto done) { manager.fetchReasons(7, done); });
    ASSERT_TRUE(reasons);
    ASSERT_EQ(reasons->size(), 5u);
    EXPECT_EQ((*reasons)[1]->description, "Crane early");
    EXPECT_EQ((*reasons)[4]->description, "Crane later");
}

} // namespace
} // namespace orvendel
