#include "core/flows/shift_report_flow.hpp"

#include "core/editing/heats_source.hpp"
#include "core/flows/observe_on.hpp"
#include "core/model/utilities.hpp"
#include "core/service/download_manager.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/clock.hpp"
#include "core/support/log.hpp"

#include <ctime>

namespace orvendel::flows {

screens::ZoneOffsetAt deviceZoneOffsets()
{
    return [](Instant instant) {
        const std::time_t seconds = std::chrono::system_clock::to_time_t(instant);
        std::tm local{};
        if (localtime_r(&seconds, &local) == nullptr) {
            return 0;
        }
        return static_cast<int>(local.tm_gmtoff);
    };
}

std::shared_ptr<ShiftReportFlow> ShiftReportFlow::create(Environment environment, Listener listener)
{
    return std::shared_ptr<ShiftReportFlow>(new ShiftReportFlow(std::move(environment), std::move(listener)));
}

ShiftReportFlow::ShiftReportFlow(Environment environment, Listener listener)
    : m_environment(std::move(environment)), m_listener(std::move(listener)),
      // A source of its own: the heats list's keeps the furnace it shows.
      m_source(HeatsSource::create(m_environment.context->database, m_environment.context->edits))
{
    if (!m_environment.zone) {
        m_environment.zone = deviceZoneOffsets();
    }
}

template <typename Value>
std::function<void(Value)> ShiftReportFlow::back(void (ShiftReportFlow::*step)(unsigned, Value))
{
    return [executor = m_environment.executor, self = weak_from_this(), step, run = m_run](Value value) {
        postWhileAlive(executor, self, [step, run, value = std::move(value)](ShiftReportFlow& flow) mutable {
            if (flow.m_run == run) {
                (flow.*step)(run, std::move(value));
            }
        });
    };
}

screens::ShiftSchedule ShiftReportFlow::schedule() const
{
    if (m_scheduleOverride) {
        return *m_scheduleOverride;
    }
    const auto stored = m_environment.context->configuration->shiftSchedule();
    if (!stored) {
        return screens::ShiftSchedule::standard();
    }
    auto parsed = screens::parseShiftSchedule(*stored);
    if (!parsed) {
        log("The stored shifts are not usable, the standard ones are used: " + parsed.error().description);
        return screens::ShiftSchedule::standard();
    }
    return *parsed;
}

Result<screens::ShiftSchedule> ShiftReportFlow::setSchedule(const std::string& text)
{
    auto parsed = screens::parseShiftSchedule(text);
    if (parsed) {
        m_environment.context->configuration->setShiftSchedule(screens::shiftScheduleText(*parsed));
        m_scheduleOverride.reset();
    }
    return parsed;
}

void ShiftReportFlow::start(std::vector<Furnace> furnaces)
{
    ++m_run;
    m_listError.reset();
    m_reports.clear();
    for (auto& furnace : furnaces) {
        m_reports.push_back(FurnaceReport{std::move(furnace), false, std::nullopt, {}, nullptr, {}, {}});
    }
    m_current = 0;
    m_running = true;
    next();
}

void ShiftReportFlow::startAllFurnaces()
{
    ++m_run;
    m_running = true;
    m_reports.clear();
    m_listError.reset();
    m_environment.context->database->fetchFurnaces(
        [executor = m_environment.executor, self = weak_from_this(), run = m_run](auto stored) {
            postWhileAlive(executor, self, [run, stored = std::move(stored)](ShiftReportFlow& flow) {
                if (flow.m_run != run) {
                    return;
                }
                if (!stored) {
                    flow.m_listError = stored.error();
                    flow.m_running = false;
                    flow.m_listener(Change::finished);
                    return;
                }
                std::vector<Furnace> visible;
                for (const auto& furnace : *stored) {
                    if (furnace && !furnace->name.starts_with("--")) {
                        visible.push_back(*furnace);
                    }
                }
                flow.start(std::move(visible));
            });
        });
}

void ShiftReportFlow::next()
{
    if (m_current >= m_reports.size()) {
        m_running = false;
        m_listener(Change::finished);
        return;
    }
    m_listener(Change::progress);
    const auto& context = *m_environment.context;
    const std::time_t seconds = std::chrono::system_clock::to_time_t(context.clock->now());
    std::tm local{};
    const int offset = localtime_r(&seconds, &local) ? static_cast<int>(local.tm_gmtoff) : 0;
    const std::string requestDate = Utilities::zonedDateText(
        context.clock->now(), Calendar::gregorian(TimeZone::fromOffsetSeconds(offset).value_or(TimeZone::utc())));
    context.downloads->downloadDelaysAndReasons(m_reports[m_current].furnace.id, requestDate,
                                                back<Result<void>>(&ShiftReportFlow::pairDownloaded));
}

void ShiftReportFlow::pairDownloaded(unsigned, Result<void> outcome)
{
    if (!outcome) {
        furnaceEnded(outcome.error());
        return;
    }
    const auto done = back<Result<std::vector<HeatPtr>>>(&ShiftReportFlow::heatsRead);
    m_source->read(m_reports[m_current].furnace.id, [done](Result<HeatsSource::Heats> heats) {
        done(heats ? Result<std::vector<HeatPtr>>(std::move(heats->heats))
                   : Result<std::vector<HeatPtr>>(heats.error()));
    });
}

void ShiftReportFlow::heatsRead(unsigned, Result<std::vector<HeatPtr>> heats)
{
    if (!heats) {
        furnaceEnded(heats.error());
        return;
    }
    m_reports[m_current].heats = std::move(*heats);
    m_environment.context->database->fetchReasons(m_reports[m_current].furnace.id,
                                                  back<Result<std::vector<ReasonPtr>>>(&ShiftReportFlow::reasonsRead));
}

void ShiftReportFlow::reasonsRead(unsigned, Result<std::vector<ReasonPtr>> reasons)
{
    if (!reasons) {
        furnaceEnded(reasons.error());
        return;
    }
    std::vector<Reason> rows;
    for (const auto& reason : *reasons) {
        if (reason) {
            rows.push_back(*reason);
        }
    }
    auto& report = m_reports[m_current];
    report.tree = std::make_shared<const screens::ReasonTree>(rows);
    report.countedAt = m_environment.context->clock->now();
    auto counted = input(m_current);
    counted.schedule = schedule();
    report.tally = screens::tallyShiftReport(counted);
    furnaceEnded(std::nullopt);
}

void ShiftReportFlow::furnaceEnded(std::optional<Error> error)
{
    auto& report = m_reports[m_current];
    report.finished = true;
    report.error = std::move(error);
    if (report.error) {
        log("The shift report of furnace " + std::to_string(report.furnace.id) +
            " failed: " + report.error->description);
    }
    ++m_current;
    next();
}

std::size_t ShiftReportFlow::finishedCount() const
{
    std::size_t count = 0;
    for (const auto& report : m_reports) {
        count += report.finished ? 1 : 0;
    }
    return count;
}

std::vector<std::string> ShiftReportFlow::errorLines() const
{
    std::vector<std::string> lines;
    if (m_listError) {
        lines.push_back(screens::furnaceListErrorText(*m_listError));
    }
    for (const auto& report : m_reports) {
        if (report.error) {
            lines.push_back(screens::furnaceErrorText(report.furnace.name, *report.error));
        }
    }
    return lines;
}

screens::ReportTally ShiftReportFlow::combined() const
{
    std::vector<screens::ReportTally> tallies;
    for (const auto& report : m_reports) {
        if (report.finished && !report.error) {
            tallies.push_back(report.tally);
        }
    }
    auto merged = screens::mergeTallies(tallies);
    if (tallies.empty()) {
        merged.schedule = schedule();
        merged.scopes = 1 + merged.schedule.size();
    }
    return merged;
}

screens::ShiftReportInput ShiftReportFlow::input(std::size_t furnaceIndex) const
{
    const auto& report = m_reports.at(furnaceIndex);
    return screens::ShiftReportInput{report.furnace.id, &report.heats,      report.tree.get(),
                                     schedule(),        m_environment.zone, m_environment.context->clock->now()};
}

} // namespace orvendel::flows
