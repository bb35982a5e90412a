#include "cli/records_json.hpp"

#include "core/model/utilities.hpp"
#include "core/screens/heat_sections.hpp"
#include "core/screens/heats_table.hpp"

#include <fmt/format.h>

namespace orvendel::cli {
namespace {

template <typename T>
nlohmann::ordered_json optionalJson(const std::optional<T>& value)
{
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

} // namespace

std::string delayRefText(int heatNumber, std::size_t position)
{
    return fmt::format("{}/{}", heatNumber, position);
}

long long durationSeconds(const Delay& delay)
{
    return static_cast<long long>(Utilities::secondsBetween(delay.startDate.date, delay.endDate.date));
}

std::string clockText(const ZonedDateTime& value)
{
    return Utilities::formatDateInZone(value.date, value.timeZone, Calendar::gregorian(value.timeZone), "HH:mm:ss");
}

nlohmann::ordered_json delayJson(const Delay& delay, int heatNumber, std::size_t position)
{
    const auto item = screens::makeItem(delay);
    return nlohmann::ordered_json{
        {"ref", delayRefText(heatNumber, position)},
        {"position", position},
        {"delayId", optionalJson(delay.delayId)},
        {"heatId", delay.heatId},
        {"start", delay.startDate.text()},
        {"end", delay.endDate.text()},
        {"durationSeconds", durationSeconds(delay)},
        {"reasonId", delay.reasonId},
        {"reason", delay.reasonDescription},
        {"reasonShort", delay.reasonShortDescription},
        {"color", delay.colorString},
        {"comment", optionalJson(delay.comment)},
        {"timestamp", delay.timestamp},
        {"title", item.title},
        {"description", item.description},
        {"unknown", item.isDelayUnknown},
        {"edited", delay.isEdited},
        {"split", delay.isSplitted},
        {"baseDelayId", optionalJson(delay.baseDelayId)},
    };
}

nlohmann::ordered_json heatJson(const Heat& heat, bool withDelays)
{
    screens::Section section;
    section.heatId = heat.heatId;
    section.heatNumber = heat.heatNumber;
    if (heat.delays) {
        for (const auto& delay : *heat.delays) {
            if (delay) {
                section.items.push_back(screens::makeItem(*delay));
            }
        }
    }
    nlohmann::ordered_json json{
        {"heatId", heat.heatId},
        {"heatNumber", heat.heatNumber},
        {"furnaceId", heat.furnaceId},
        {"start", heat.startDate.text()},
        {"end", heat.endDate.text()},
        {"title", screens::HeatsTable::headerTitle(section)},
        {"description", screens::HeatsTable::headerDescription(section)},
        {"unknownCount", screens::HeatsTable::unknownDelayCount(section)},
    };
    if (withDelays) {
        auto delays = nlohmann::ordered_json::array();
        if (heat.delays) {
            std::size_t position = 0;
            for (const auto& delay : *heat.delays) {
                if (delay) {
                    delays.push_back(delayJson(*delay, heat.heatNumber, ++position));
                }
            }
        }
        json["delays"] = std::move(delays);
    }
    return json;
}

nlohmann::ordered_json furnaceJson(const Furnace& furnace)
{
    return nlohmann::ordered_json{
        {"id", furnace.id}, {"name", furnace.name}, {"shortName", optionalJson(furnace.shortName)}};
}

nlohmann::ordered_json reasonJson(const Reason& reason)
{
    return nlohmann::ordered_json{{"id", optionalJson(reason.id)},
                                  {"categoryId", reason.categoryId},
                                  {"parentCategoryId", optionalJson(reason.parentCategoryId)},
                                  {"description", reason.description},
                                  {"shortDescription", reason.shortDescription},
                                  {"color", reason.colorString}};
}

} // namespace orvendel::cli
