#include "core/flows/shift_report_flow.hpp"
#include "flow_fixture.hpp"

namespace orvendel::test {
namespace {

using namespace std::chrono;

class ShiftReportFlowTest : public FlowFixture {};

TEST_F(ShiftReportFlowTest, AllFurnacesOneAfterAnotherAndAFailedOneKeepsItsErrorBesideTheOthers)
{
    signIn();
    loadFurnace();
    // Every delay of the day has ended, and the shifts are read in the plant's zone (-06:00).
    clock->setNow(sys_days{2026y / December / 7} + 12h);
    ASSERT_FALSE(context->configuration->shiftSchedule());
    std::vector<flows::ShiftReportFlow::Change> changes;
    auto flow = flows::ShiftReportFlow::create({context, executor, screens::fixedZone(TimeZone{-6 * 3600})},
                                               [&](auto change) { changes.push_back(change); });
    EXPECT_FALSE(flow->setSchedule("06:00-14:00,13:00-22:00,22:00-06:00"));
    ASSERT_TRUE(flow->setSchedule("06:00,18:00"));
    EXPECT_EQ(context->configuration->shiftSchedule(), "06:00-18:00,18:00-06:00");

    flow->startAllFurnaces();
    // Furnace 1 first: its pair fails; the hidden furnace is never asked for.
    ASSERT_TRUE(executor->runUntil([&] { return running("ReasonsList") != nullptr; }));
    ASSERT_TRUE(reply("Last24HoursDelays", "{}", 500));
    ASSERT_TRUE(reply("ReasonsList", "{}", 500));
    ASSERT_TRUE(executor->runUntil([&] { return flow->finishedCount() == 1 && running("ReasonsList") != nullptr; }));
    EXPECT_TRUE(flow->isRunning());
    ASSERT_TRUE(reply("Last24HoursDelays", delaysReply(2)));
    ASSERT_TRUE(reply("ReasonsList", reasonsReply()));
    ASSERT_TRUE(executor->runUntil([&] { return !flow->isRunning(); }));

    const auto& furnaces = flow->furnaces();
    ASSERT_EQ(furnaces.size(), 2u);
    EXPECT_EQ(furnaces[0].furnace.id, 1);
    ASSERT_TRUE(furnaces[0].error);
    EXPECT_FALSE(furnaces[1].error);
    EXPECT_EQ(changes.back(), flows::ShiftReportFlow::Change::finished);

    const auto combined = flow->combined();
    const auto table = screens::reportTable(combined, 0, screens::ReportGrouping::reason);
    EXPECT_EQ(table.total.time, seconds{690});
    EXPECT_EQ(table.unclassifiedReasons.size(), 2u); // reason 12 hangs in no category of this tree
    const auto firstShift = screens::reportTable(combined, 1, screens::ReportGrouping::reason);
    EXPECT_EQ(firstShift.total.time, seconds{690});
    EXPECT_EQ(firstShift.hours, "06:00-18:00");
}

} // namespace
} // namespace orvendel::test
