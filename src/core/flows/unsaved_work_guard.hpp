#pragma once

#include "core/flows/context.hpp"
#include "core/flows/presenter.hpp"
#include "core/screens/guards.hpp"
#include "core/support/executor.hpp"

#include <functional>

namespace orvendel::flows {

// The question before leaving a heat: is a save of it running (asked of the download manager), else does
// the edit store hold entries of it. Nothing waits: the two managers answer on their own queues and the
// outcome arrives on `executor`.
// Thread contract: any thread; `answer` runs on `executor`.
void askUnsavedWorkGuard(const Context& context, int heatId, int furnaceId, const ExecutorPtr& executor,
                         std::function<void(screens::GuardOutcome)> answer);

enum class GuardDecision {
    proceed, // nothing at risk: no question was asked
    discard, // the user answered Yes: the caller drops the heat's edits and goes on
    stay,    // the user answered No
};

// Which Yes the console notes as "Selected YES": moving to another heat notes only dropping unsaved
// delays, a furnace switch notes the Yes to either question.
enum class YesLog { unsavedDelays, anyQuestion };

// The whole guard before leaving a heat: asks as above and, when something is at risk, puts the Yes/No
// question to the user. The heat's edits are left alone; the caller knows what to drop. A question taken
// away with its screen decides nothing.
// Thread contract: call on `executor`, the user-interface executor that also runs the alert's buttons;
// No question is put (and nothing decided) once `presenter` is gone. `decided` runs on `executor`.
void guardUnsavedWork(const Context& context, int heatId, int furnaceId, const ExecutorPtr& executor,
                      Presenter::Ref presenter, YesLog yesLog, std::function<void(GuardDecision)> decided);

} // namespace orvendel::flows
