#pragma once

#include "core/model/delay.hpp"

#include <vector>

namespace orvendel {

// Sends one heat's edited delays to the service. The outcome is announced by the saver's own
// notifications ("FinishedSavingDelays", "FailedSavingDelays"), not returned to the caller.
// Thread contract: any thread; returns at once.
class DelaySaver {
public:
    virtual ~DelaySaver() = default;
    virtual void saveDelays(int furnaceId, int heatId, std::vector<DelayPtr> delays) = 0;
};

} // namespace orvendel
