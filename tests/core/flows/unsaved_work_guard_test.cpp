#include "core/flows/unsaved_work_guard.hpp"
#include "core/support/log.hpp"
#include "flow_fixture.hpp"

namespace orvendel::test {
namespace {

using flows::GuardDecision;
using flows::YesLog;

class UnsavedWorkGuardTest : public FlowFixture {
protected:
    // Guards heat 201 of furnace 2 and waits for the decision or the question.
    void guard(YesLog yesLog)
    {
        const std::size_t decided = decisions.size();
        const std::size_t asked = presenter.alerts.size();
        flows::guardUnsavedWork(*context, 201, 2, executor, presenter.ref(), yesLog,
                                [this](GuardDecision decision) { decisions.push_back(decision); });
        ASSERT_TRUE(executor->runUntil([&] { return decisions.size() > decided || presenter.alerts.size() > asked; }));
    }

    std::vector<GuardDecision> decisions;
};

TEST_F(UnsavedWorkGuardTest, AsksOnlyWhenEditsAreAtRiskAndLeavesThemToTheCaller)
{
    signIn();
    loadFurnace();
    const std::size_t alertsBefore = presenter.alerts.size();
    guard(YesLog::unsavedDelays);
    ASSERT_EQ(decisions, std::vector{GuardDecision::proceed});
    EXPECT_EQ(presenter.alerts.size(), alertsBefore);

    addEdit(201);
    guard(YesLog::unsavedDelays);
    ASSERT_EQ(presenter.alerts.size(), alertsBefore + 1);
    const auto& question = presenter.alerts.back();
    EXPECT_EQ(question.title, "You have unsaved delays. Do you want to proceed?");
    ASSERT_EQ(question.actions.size(), 2U);
    EXPECT_EQ(question.actions[0].title, "Yes");
    EXPECT_EQ(question.actions[0].style, flows::AlertAction::Style::normal);
    EXPECT_EQ(question.actions[1].title, "No");
    EXPECT_EQ(question.actions[1].style, flows::AlertAction::Style::cancel);
    presenter.answer("No");
    EXPECT_EQ(decisions.back(), GuardDecision::stay);

    ScopedLogCapture console;
    guard(YesLog::unsavedDelays);
    presenter.answer("Yes");
    EXPECT_EQ(decisions.back(), GuardDecision::discard);
    EXPECT_TRUE(console.contains("Selected YES"));
    EXPECT_TRUE(context->edits->hasEditedDelays(201)) << "the caller drops the edits, not the guard";
}

TEST_F(UnsavedWorkGuardTest, ASaveInFlightAsksAboutTheSaveAndLogsYesOnlyWhereTheCallerWantsIt)
{
    signIn();
    loadFurnace();
    const auto heat = screens::findHeat(app->heatsList()->heats(), 201);
    ASSERT_TRUE(heat && heat->delays);
    context->downloads->saveDelays(2, 201, {(*heat->delays)[0]}); // left unanswered: still saving

    ScopedLogCapture console;
    guard(YesLog::unsavedDelays);
    EXPECT_EQ(presenter.alerts.back().title, screens::guardQuestion(screens::GuardOutcome::AskSavingInProgress)->title);
    presenter.answer("Yes");
    EXPECT_EQ(decisions.back(), GuardDecision::discard);
    EXPECT_FALSE(console.contains("Selected YES")) << "another heat notes only dropping unsaved delays";

    guard(YesLog::anyQuestion);
    presenter.answer("Yes");
    EXPECT_TRUE(console.contains("Selected YES")) << "a furnace switch notes every Yes";
}

} // namespace
} // namespace orvendel::test
