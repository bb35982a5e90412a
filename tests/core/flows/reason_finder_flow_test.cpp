#include "core/flows/reason_finder_flow.hpp"
#include "core/support/log.hpp"
#include "flow_fixture.hpp"

namespace orvendel::test {
namespace {

// C1 holds C2 and R8; C2 holds R7.
std::string nestedReasonsReply()
{
    return R"({"resultInformation":{"success":true},"data":[{"delayCategoryId":1,"description":"C1",
        "shortDescription":"C1","childReasons":[
          {"delayCategoryId":2,"description":"C2","shortDescription":"C2","childReasons":[
            {"delayReasonId":7,"delayCategoryId":70,"description":"R7","shortDescription":"R7"}]},
          {"delayReasonId":8,"delayCategoryId":80,"description":"R8","shortDescription":"R8"}]}]})";
}

class ReasonFinderFlowTest : public FlowFixture {};

TEST_F(ReasonFinderFlowTest, ShowsTheStoreThenRebuildsFromItsOwnDownloadAndAssigns)
{
    signIn();
    loadFurnace(); // the stored reasons are top-level leaves only: nothing to show
    ScopedLogCapture console;
    std::vector<Reason> assigned;
    int closed = 0;
    int changes = 0;
    auto flow = flows::ReasonFinderFlow::create(
        {context, executor}, 7, [&](const Reason& reason) { assigned.push_back(reason); }, [&] { ++closed; });
    const auto watching = flow->setChangeHandler([&] { ++changes; });
    ASSERT_TRUE(executor->runUntil([&] { return flow->finder().isLoaded(); }));
    EXPECT_TRUE(flow->finder().showsNoData());
    EXPECT_FALSE(flow->assign());

    // The finder's own download, under an identifier the heats list never uses.
    ASSERT_TRUE(executor->runUntil([&] { return running("ReasonsList") != nullptr; }));
    EXPECT_EQ(flow->downloadIdentifier().rfind("ReasonFinder-", 0), 0u);
    ASSERT_TRUE(reply("ReasonsList", nestedReasonsReply()));
    ASSERT_TRUE(executor->runUntil([&] { return flow->finder().isAssignEnabled(); }));
    EXPECT_EQ(flow->finder().rows().size(), 4u);
    EXPECT_EQ(flow->finder().checkedRow(), 2u);
    EXPECT_TRUE(console.contains("Found"));
    EXPECT_TRUE(console.contains("Node Identifier: r7 - R7"));

    const int before = changes;
    EXPECT_EQ(flow->tapRow(2), screens::ReasonFinder::Tap::ignored);
    EXPECT_EQ(changes, before);
    EXPECT_EQ(flow->tapRow(3), screens::ReasonFinder::Tap::selected);
    EXPECT_EQ(changes, before + 1);
    EXPECT_TRUE(flow->assign());
    ASSERT_EQ(assigned.size(), 1u);
    EXPECT_EQ(assigned[0].id, 8);
    EXPECT_EQ(assigned[0].description, "R8");
    flow->close();
    EXPECT_EQ(closed, 1);

    // A category the user closed over the checked reason stays closed when the tree is rebuilt from new rows.
    auto again = flows::ReasonFinderFlow::create({context, executor}, 7, {}, {});
    ASSERT_TRUE(executor->runUntil([&] { return running("ReasonsList") != nullptr; }));
    ASSERT_TRUE(reply("ReasonsList", nestedReasonsReply()));
    ASSERT_TRUE(executor->runUntil([&] { return again->finder().rows().size() == 4u; }));
    EXPECT_EQ(again->tapRow(1), screens::ReasonFinder::Tap::toggled); // C2 closes over R7
    ASSERT_EQ(again->finder().rows().size(), 3u);
    int rebuilt = 0;
    const auto watchingAgain = again->setChangeHandler([&] { ++rebuilt; });
    context->notificationCenter->post(download_notifications::ReasonsDownloaded{{again->downloadIdentifier()}});
    ASSERT_TRUE(executor->runUntil([&] { return rebuilt > 0; }));
    EXPECT_EQ(again->finder().rows().size(), 3u);
    EXPECT_FALSE(again->finder().checkedRow());
}

TEST_F(ReasonFinderFlowTest, IgnoresAReasonsDownloadOfAnotherCaller)
{
    signIn();
    loadFurnace();
    auto flow = flows::ReasonFinderFlow::create({context, executor}, std::nullopt, {}, {});
    ASSERT_TRUE(executor->runUntil([&] { return flow->finder().isLoaded(); }));
    int changes = 0;
    const auto watching = flow->setChangeHandler([&] { ++changes; });
    context->notificationCenter->post(download_notifications::ReasonsDownloaded{{"other"}});
    context->notificationCenter->post(download_notifications::ReasonsDownloaded{{flow->downloadIdentifier()}});
    ASSERT_TRUE(executor->runUntil([&] { return changes == 1; }));
    // Whatever the first notification read from the store would have come back before this.
    bool drained = false;
    context->database->fetchReasons(2, [&](auto) { executor->post([&] { drained = true; }); });
    ASSERT_TRUE(executor->runUntil([&] { return drained; }));
    EXPECT_EQ(changes, 1);
    // Without a handler, neither button does anything.
    EXPECT_FALSE(flow->assign());
    flow->close();
}

TEST_F(ReasonFinderFlowTest, AFailedReadOfTheStoredTreeIsShownNotTakenForNoReasons)
{
    signIn();
    loadFurnace();
    damageDatabase();
    const auto alertsBefore = presenter.alerts.size();
    auto flow = flows::ReasonFinderFlow::create({context, executor, presenter.ref()}, std::nullopt, {}, {});
    ASSERT_TRUE(executor->runUntil([&] { return presenter.alerts.size() > alertsBefore; }));
    EXPECT_EQ(presenter.alerts.back().title, "Problem");
    ASSERT_TRUE(presenter.alerts.back().error);
    EXPECT_EQ(presenter.alerts.back().error->domain, SqlDatabase::errorDomain);
    EXPECT_FALSE(flow->finder().isLoaded());
}

} // namespace
} // namespace orvendel::test
