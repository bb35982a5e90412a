#pragma once

#include "core/flows/context.hpp"
#include "core/model/furnace.hpp"
#include "core/screens/shift_report.hpp"
#include "core/support/error.hpp"
#include "core/support/executor.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel {
class HeatsSource;
}

namespace orvendel::flows {

// The shift report without its views: for one furnace or every furnace the user may see, one after another,
// downloads the delays and reasons pair the heats list uses, reads the last 24 hours with the unsaved edits
// laid over them and tallies them. A furnace that fails keeps its error and the others are still reported.
// Thread contract: the user-interface executor; store and download completions are moved there.
class ShiftReportFlow : public std::enable_shared_from_this<ShiftReportFlow> {
public:
    enum class Change {
        progress, // a furnace started or ended (see `finishedCount`)
        finished, // every furnace of the run ended
    };
    using Listener = std::function<void(Change)>;

    struct Environment {
        ContextPtr context;
        ExecutorPtr executor;
        screens::ZoneOffsetAt zone{}; // the plant's; none: this device's zone
    };

    struct FurnaceReport {
        Furnace furnace;
        bool finished = false;
        std::optional<Error> error;
        std::vector<HeatPtr> heats;
        std::shared_ptr<const screens::ReasonTree> tree;
        screens::ReportTally tally;
        Instant countedAt{}; // running delays were counted up to here
    };

    static std::shared_ptr<ShiftReportFlow> create(Environment environment, Listener listener);

    // Reports on these furnaces, in this order; a run still under way is dropped.
    void start(std::vector<Furnace> furnaces);
    // Reports on every stored furnace the user may see (hidden ones left out). A failed read of the furnace
    // list ends the run with that error.
    void startAllFurnaces();

    bool isRunning() const { return m_running; }
    const std::vector<FurnaceReport>& furnaces() const { return m_reports; }
    std::size_t finishedCount() const;
    // Why the furnace list could not be read, for `startAllFurnaces`.
    const std::optional<Error>& listError() const { return m_listError; }
    // What went wrong, a line each: the furnace list, else every furnace whose download failed.
    std::vector<std::string> errorLines() const;
    // The furnaces reported so far as one.
    screens::ReportTally combined() const;
    // What a furnace's report was computed from, for the delays behind a row.
    screens::ShiftReportInput input(std::size_t furnaceIndex) const;

    // The plant's zone, in which the shifts run and the report's times are shown.
    const screens::ZoneOffsetAt& zone() const { return m_environment.zone; }

    // The user's shifts, the standard ones when none (or an unusable text) is stored.
    screens::ShiftSchedule schedule() const;
    // Checks and stores the user's shifts; refused with the reason when they overlap or leave a gap.
    Result<screens::ShiftSchedule> setSchedule(const std::string& text);
    // Shifts for this flow's runs only, not stored (the CLI's --shifts).
    void useSchedule(screens::ShiftSchedule schedule) { m_scheduleOverride = std::move(schedule); }

private:
    ShiftReportFlow(Environment environment, Listener listener);
    void next();
    void pairDownloaded(unsigned run, Result<void> outcome);
    void heatsRead(unsigned run, Result<std::vector<HeatPtr>> heats);
    void reasonsRead(unsigned run, Result<std::vector<ReasonPtr>> reasons);
    void furnaceEnded(std::optional<Error> error);
    // Runs `step` on the executor if this flow and its run are still current then.
    template <typename Value>
    std::function<void(Value)> back(void (ShiftReportFlow::*step)(unsigned, Value));

    Environment m_environment;
    Listener m_listener;
    std::shared_ptr<HeatsSource> m_source;
    std::vector<FurnaceReport> m_reports;
    std::size_t m_current = 0;
    unsigned m_run = 0;
    bool m_running = false;
    std::optional<Error> m_listError;
    std::optional<screens::ShiftSchedule> m_scheduleOverride;
};

// The offsets this device's zone has had and will have (daylight-saving time included).
screens::ZoneOffsetAt deviceZoneOffsets();

} // namespace orvendel::flows
