#include "core/flows/unsaved_work_guard.hpp"

#include "core/editing/edited_delays_manager.hpp"
#include "core/service/download_manager.hpp"

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

} // namespace orvendel::flows
