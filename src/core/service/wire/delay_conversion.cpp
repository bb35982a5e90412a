#include "core/service/wire/delay_conversion.hpp"

namespace orvendel::wire {

JSON_Delay toWireDelay(const Delay& delay)
{
    JSON_Delay wire;
    wire.delayId = delay.delayId;
    wire.reasonId = delay.reasonId;
    wire.reasonDescription = delay.reasonDescription;
    wire.startDate = delay.startDate.text();
    wire.endDate = delay.endDate.text();
    wire.timestamp = delay.timestamp;
    wire.comment = delay.comment;
    wire.isEdited = true;
    wire.isSplitted = delay.isSplitted;
    return wire;
}

SaveDelaysParameters saveParameters(int heatId, const std::vector<DelayPtr>& delays)
{
    SaveDelaysParameters parameters;
    parameters.heatId = heatId;
    parameters.delays.reserve(delays.size());
    for (const DelayPtr& delay : delays) {
        if (delay) {
            parameters.delays.push_back(toWireDelay(*delay));
        }
    }
    return parameters;
}

} // namespace orvendel::wire
