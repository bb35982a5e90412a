#include "cli/commands.hpp"

#include "cli/lookup.hpp"
#include "cli/records_json.hpp"
#include "cli/report_view.hpp"
#include "cli/terminal_text.hpp"
#include "core/flows/shift_report_flow.hpp"
#include "core/screens/report_errors.hpp"
#include "core/screens/shift_report_csv.hpp"
#include "core/storage/user_configuration_manager.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace orvendel::cli {
namespace {

// CSV keeps its CRLF row ends; each row is made safe for a terminal on its own.
std::string terminalSafeCsv(const std::string& csv)
{
    std::string safe;
    std::size_t start = 0;
    while (start < csv.size()) {
        const auto end = csv.find("\r\n", start);
        safe += terminalSafe(std::string_view(csv).substr(start, end - start)) + "\r\n";
        start = end == std::string::npos ? csv.size() : end + 2;
    }
    return safe;
}

} // namespace

Reply reportCommand(CommandContext& context, const ReportOptions& options)
{
    Reply reply;
    auto flow = flows::ShiftReportFlow::create({context.app.context(), context.loop, {}}, [](auto) {});
    if (options.shifts) {
        const auto schedule = screens::parseShiftSchedule(*options.shifts);
        if (!schedule) {
            return reply.fail(schedule.error(), schedule.error().description);
        }
        flow->useSchedule(*schedule);
    }
    const auto schedule = flow->schedule();
    if (options.shift && static_cast<std::size_t>(*options.shift) > schedule.size()) {
        return reply.fail(cli_error::notFound, fmt::format("There is no shift {}: your shifts are {}.", *options.shift,
                                                           screens::shiftScheduleText(schedule)));
    }
    if (options.allFurnaces) {
        flow->startAllFurnaces();
    } else {
        const int furnaceId = options.furnaceId.value_or(context.core().configuration->selectedFurnaceId());
        const auto furnaces = storedFurnaces(context.core());
        if (!furnaces) {
            return reply.fail(furnaces.error(), furnaces.error().description);
        }
        const auto listed = std::find_if(furnaces->begin(), furnaces->end(),
                                         [&](const Furnace& furnace) { return furnace.id == furnaceId; });
        if (listed == furnaces->end()) {
            return reply.fail(cli_error::notFound,
                              fmt::format("Furnace {} is not in the list; see `furnaces`.", furnaceId));
        }
        flow->start({*listed});
    }
    if (!waitFor(context, reply, [&] { return !flow->isRunning(); })) {
        return reply;
    }
    if (const auto& error = flow->listError()) {
        return reply.fail(*error, error->description);
    }

    const auto grouping = options.byCategory ? screens::ReportGrouping::category : screens::ReportGrouping::reason;
    const std::size_t scope = options.shift ? static_cast<std::size_t>(*options.shift) : 0;
    const std::optional<std::size_t> onlyShift =
        options.shift ? std::optional<std::size_t>(*options.shift - 1) : std::nullopt;
    const auto combined = flow->combined();

    std::vector<screens::ReportCsvPart> csvParts;
    auto furnacesJson = nlohmann::ordered_json::array();
    std::size_t failed = 0;
    for (std::size_t i = 0; i < flow->furnaces().size(); ++i) {
        const auto& report = flow->furnaces()[i];
        nlohmann::ordered_json json{{"furnace", furnaceJson(report.furnace)}};
        if (report.error) {
            ++failed;
            json["error"] = {{"domain", report.error->domain},
                             {"code", report.error->code},
                             {"description", report.error->description}};
            reply.notices.push_back(screens::furnaceErrorText(report.furnace.name, *report.error));
        } else {
            json.update(reportTallyJson(report.tally, options.byCategory, onlyShift));
            csvParts.push_back({report.furnace.name, &report.tally});
            if (!options.csv) {
                renderReportTable(reply, report.furnace.name, screens::reportTable(report.tally, scope, grouping),
                                  report.tally, screens::reportPeriodText(report.tally, flow->zone()),
                                  options.byCategory);
                reply.lines.emplace_back();
            }
        }
        furnacesJson.push_back(std::move(json));
    }
    reply.data["by"] = options.byCategory ? "category" : "reason";
    reply.data["shifts"] = screens::shiftScheduleText(schedule);
    reply.data["furnaces"] = std::move(furnacesJson);
    if (options.allFurnaces) {
        reply.data["allFurnaces"] = reportTallyJson(combined, options.byCategory, onlyShift);
        csvParts.push_back({texts::allFurnaces, &combined});
        if (!options.csv) {
            renderReportTable(reply, texts::allFurnaces, screens::reportTable(combined, scope, grouping), combined,
                              screens::reportPeriodText(combined, flow->zone()), options.byCategory);
        }
    }
    if (options.csv) {
        const auto csv = screens::reportCsv(csvParts, grouping, onlyShift);
        reply.data["csv"] = csv;
        reply.raw = terminalSafeCsv(csv);
    }
    if (!reply.lines.empty() && reply.lines.back().empty()) {
        reply.lines.pop_back();
    }
    if (failed > 0 && failed == flow->furnaces().size()) {
        const auto& error = *flow->furnaces().front().error;
        return reply.fail(error, error.description);
    }
    return reply;
}

Reply shiftsCommand(CommandContext& context, const std::string& times)
{
    Reply reply;
    auto flow = flows::ShiftReportFlow::create({context.app.context(), context.loop, {}}, [](auto) {});
    if (!times.empty()) {
        const auto set = flow->setSchedule(times);
        if (!set) {
            return reply.fail(set.error(), set.error().description);
        }
    }
    const auto schedule = flow->schedule();
    auto shifts = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < schedule.size(); ++i) {
        reply.lines.push_back(fmt::format("{}: {}", screens::shiftName(i), screens::shiftHoursText(schedule, i)));
        shifts.push_back({{"name", screens::shiftName(i)}, {"hours", screens::shiftHoursText(schedule, i)}});
    }
    reply.data["shifts"] = std::move(shifts);
    return reply;
}

} // namespace orvendel::cli
