#pragma once

#include "core/flows/session.hpp"
#include "core/screens/guards.hpp"
#include "core/support/executor.hpp"

#include <functional>

namespace orvendel::flows {

// The question before leaving a heat: is a save of it running (asked of the download manager), else does
// the edit store hold entries of it. Nothing waits: the two managers answer on their own queues and the
// outcome arrives on `executor`.
// Thread contract: any thread; `answer` runs on `executor`.
void askUnsavedWorkGuard(const Session& session, int heatId, int furnaceId, const ExecutorPtr& executor,
                         std::function<void(screens::GuardOutcome)> answer);

} // namespace orvendel::flows
