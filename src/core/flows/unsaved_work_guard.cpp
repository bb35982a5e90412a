#include "core/flows/unsaved_work_guard.hpp"

#include "core/editing/edited_delays_manager.hpp"
#include "core/service/download_manager.hpp"
#include "core/support/log.hpp"

namespace orvendel::flows {

void askUnsavedWorkGuard(const Context& context, int heatId, int furnaceId, const ExecutorPtr& executor,
                         std::function<void(screens::GuardOutcome)> answer)
{
    context.downloads->isSavingDelays(
        heatId, furnaceId, [edits = context.edits, heatId, executor, answer](bool saving) {
            if (saving) {
                executor->post([answer] { answer(screens::guardOutcome(true, false)); });
                return;
            }
            edits->hasEditedDelays(heatId, [executor, answer](bool edited) {
                executor->post([answer, edited] { answer(screens::guardOutcome(false, edited)); });
            });
        });
}

void guardUnsavedWork(const Context& context, int heatId, int furnaceId, const ExecutorPtr& executor,
                      Presenter::Ref presenter, YesLog yesLog, std::function<void(GuardDecision)> decided)
{
    askUnsavedWorkGuard(
        context, heatId, furnaceId, executor,
        [presenter = std::move(presenter), yesLog, decided = std::move(decided)](screens::GuardOutcome outcome) {
            const auto question = screens::guardQuestion(outcome);
            if (!question) {
                decided(GuardDecision::proceed);
                return;
            }
            const bool logsYes = yesLog == YesLog::anyQuestion || outcome == screens::GuardOutcome::AskUnsavedDelays;
            presenter.presentAlert(Alert::question(question->title, question->message,
                                                   {AlertAction{screens::guardYesButton, AlertAction::Style::normal,
                                                                [decided, logsYes] {
                                                                    if (logsYes) {
                                                                        log("Selected YES");
                                                                    }
                                                                    decided(GuardDecision::discard);
                                                                }},
                                                    AlertAction{screens::guardNoButton, AlertAction::Style::cancel,
                                                                [decided] { decided(GuardDecision::stay); }}}));
        });
}

} // namespace orvendel::flows
