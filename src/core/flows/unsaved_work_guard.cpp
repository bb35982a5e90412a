#include "core/flows/unsaved_work_guard.hpp"

#include "core/editing/edited_delays_manager.hpp"
#include "core/service/download_manager.hpp"
#include "core/support/log.hpp"

namespace orvendel::flows {

void askUnsavedWorkGuard(const Session& session, int heatId, int furnaceId, const ExecutorPtr& executor,
                         std::function<void(screens::GuardOutcome)> answer)
{
    session.downloads->isSavingDelays(
        heatId, furnaceId, [edits = session.edits, heatId, executor, answer](bool saving) {
            if (saving) {
                executor->post([answer] { answer(screens::guardOutcome(true, false)); });
                return;
            }
            edits->hasEditedDelays(heatId, [executor, answer](bool edited) {
                executor->post([answer, edited] { answer(screens::guardOutcome(false, edited)); });
            });
        });
}

void guardUnsavedWork(const Session& session, int heatId, int furnaceId, const ExecutorPtr& executor,
                      Presenter& presenter, YesLog yesLog, std::function<void(GuardDecision)> decided)
{
    askUnsavedWorkGuard(session, heatId, furnaceId, executor,
                        [presenter = &presenter, yesLog, decided = std::move(decided)](screens::GuardOutcome outcome) {
                            const auto question = screens::guardQuestion(outcome);
                            if (!question) {
                                decided(GuardDecision::proceed);
                                return;
                            }
                            const bool logsYes =
                                yesLog == YesLog::anyQuestion || outcome == screens::GuardOutcome::AskUnsavedDelays;
                            Alert alert{question->title, question->message, {}, std::nullopt};
                            alert.actions.push_back(
                                AlertAction{screens::guardYesButton, AlertAction::Style::normal, [decided, logsYes] {
                                                if (logsYes) {
                                                    log("Selected YES");
                                                }
                                                decided(GuardDecision::discard);
                                            }});
                            alert.actions.push_back(AlertAction{screens::guardNoButton, AlertAction::Style::cancel,
                                                                [decided] { decided(GuardDecision::stay); }});
                            presenter->presentAlert(std::move(alert));
                        });
}

} // namespace orvendel::flows
