#include "core/service/wire_records.hpp"

#include <optional>

namespace orvendel::wire_records {

std::vector<Reason> reasonRows(const std::vector<wire::JSON_Reason>& topLevel)
{
    // Iterative, so that a deep tree from the service cannot exhaust the stack.
    struct Pending {
        const std::vector<wire::JSON_Reason>* nodes;
        std::size_t next;
        std::optional<int> parent;
    };
    std::vector<Reason> rows;
    std::vector<Pending> stack{{&topLevel, 0, std::nullopt}};
    while (!stack.empty()) {
        Pending& top = stack.back();
        if (top.next >= top.nodes->size()) {
            stack.pop_back();
            continue;
        }
        const wire::JSON_Reason& node = (*top.nodes)[top.next++];
        rows.push_back(
            Reason{node.id, node.categoryId, top.parent, node.description, node.shortDescription, node.colorString});
        if (node.childReasons && !node.childReasons->empty()) {
            // `top` may move with the push; it is not used after it.
            stack.push_back({&*node.childReasons, 0, node.categoryId});
        }
    }
    return rows;
}

std::vector<DownloadedHeat> downloadedHeats(std::vector<wire::JSON_Heat> heats)
{
    std::vector<DownloadedHeat> result;
    result.reserve(heats.size());
    for (wire::JSON_Heat& heat : heats) {
        DownloadedHeat& stored = result.emplace_back();
        stored.heatId = heat.heatId;
        stored.heatNumber = heat.heatNumber;
        stored.startDate = std::move(heat.startDate);
        stored.endDate = std::move(heat.endDate);
        if (!heat.delays) {
            continue;
        }
        stored.delays.reserve(heat.delays->size());
        for (wire::JSON_Delay& delay : *heat.delays) {
            stored.delays.push_back(DownloadedDelay{delay.delayId, delay.reasonId, std::move(delay.reasonDescription),
                                                    std::move(delay.startDate), std::move(delay.endDate),
                                                    std::move(delay.timestamp), std::move(delay.comment)});
        }
    }
    return result;
}

} // namespace orvendel::wire_records
