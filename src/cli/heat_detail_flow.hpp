#pragma once

#include "cli/announcements.hpp"
#include "cli/main_loop.hpp"
#include "core/editing/connectivity_status.hpp"
#include "core/editing/delay_saver.hpp"
#include "core/support/notification_center.hpp"

#include <memory>
#include <optional>
#include <vector>

namespace orvendel::cli {

// The heat detail's saving without its views: sends a heat's unsaved edits, and on every finished save
// (automatic ones too) removes the saved edits from the store and asks the heats list to download again;
// a failed save is the "Error Saving Delays" alert and the edits stay.
// Thread contract: the main loop's thread; notifications and store completions are moved there.
class HeatDetailFlow : public std::enable_shared_from_this<HeatDetailFlow> {
public:
    struct Environment {
        std::shared_ptr<MainLoop> loop;
        const ConnectivityStatus* connectivity = nullptr;
        Announcements* announcements = nullptr;
    };

    struct SaveOutcome {
        std::optional<int> heatId;
        bool saved = false;
    };

    enum class SaveStart { started, nothingToSave, noNetwork };

    static std::shared_ptr<HeatDetailFlow> create(Environment environment);

    // The save button for the shown heat.
    SaveStart save(int heatId);
    // A save was sent by someone else (the editing rules' automatic save): wait for its outcome too.
    void expectSave() { ++m_savesInFlight; }
    // Saves sent whose outcome (including the removal of the saved edits) has not arrived yet.
    bool isSaving() const { return m_savesInFlight > 0; }
    std::vector<SaveOutcome> takeOutcomes() { return std::exchange(m_outcomes, {}); }

    // A saver that tells this flow about every save it forwards to the download manager.
    std::shared_ptr<DelaySaver> makeSaver();

private:
    explicit HeatDetailFlow(Environment environment);
    void observe();

    void finishedSavingDelays(const Notification& notification);
    void failedSavingDelays(const Notification& notification);
    void recordOutcome(SaveOutcome outcome);

    Environment m_environment;
    int m_savesInFlight = 0;
    std::vector<SaveOutcome> m_outcomes;
    std::vector<ObserverToken> m_observers;
};

} // namespace orvendel::cli
