#pragma once

#include "core/editing/connectivity_status.hpp"
#include "core/editing/delay_edit_model.hpp"
#include "core/editing/delay_saver.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/flows/context.hpp"
#include "core/flows/delay_pages_flow.hpp"
#include "core/flows/heats_list_flow.hpp"
#include "core/flows/presenter.hpp"
#include "core/model/screen_notifications.hpp"
#include "core/model/texts.hpp"
#include "core/service/download_notifications.hpp"
#include "core/support/executor.hpp"
#include "core/support/handler_slot.hpp"
#include "core/support/notification_center.hpp"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvendel::flows {

// What changed in the heat detail, for the front end to redraw.
enum class HeatDetailChange {
    heat,       // another heat (or the same one rebuilt) is shown, or the empty message came or went
    delays,     // an edit changed the shown heat's delays (the pages changed only where it did)
    selection,  // the selected delay moved within the shown heat
    saveButton, // the save button's presence or enabled state
    saving,     // a save of this screen started or ended
};

// The heat detail without its views: shows the heat the list hands over, keeps the save button's state,
// sends a heat's unsaved edits and, on every finished save (automatic ones too), removes the saved edits
// from the store and asks the heats list to download again; a failed save is the "Error Saving Delays"
// alert and the edits stay. A save the service refused as stale also downloads again, so that the list
// shows the service's version. Nothing is saved from under the empty cover, and a save goes to the furnace
// the shown heat came from.
// Thread contract: the user-interface executor; notifications and store completions are moved there.
class HeatDetailFlow : public HeatsListDelegate, public std::enable_shared_from_this<HeatDetailFlow> {
public:
    struct Environment {
        ContextPtr context;
        ExecutorPtr executor;
        std::shared_ptr<const ConnectivityStatus> connectivity;
        Presenter::Ref presenter{};
    };
    using ChangeHandler = std::function<void(HeatDetailChange)>;

    struct SaveOutcome {
        std::optional<int> heatId;
        bool saved = false;
        bool nothingToSave = false; // the heat had no edits: nothing was sent
    };
    enum class SaveStart { started, nothingToSave, noNetwork };

    static constexpr const char* title = texts::editDelaysTitle;
    static constexpr const char* defaultEmptyMessage = texts::selectItemMessage;
    static constexpr const char* noDelaysMessage = texts::noDelaysMessage;

    static std::shared_ptr<HeatDetailFlow> create(Environment environment);

    // The view's handler, for as long as the token is kept.
    [[nodiscard]] HandlerToken setChangeHandler(ChangeHandler handler)
    {
        return m_changeHandler.set(std::move(handler));
    }

    // HeatsListDelegate
    void showHeat(const HeatPtr& heat, Instant selectedDelayStartDate) override;
    void selectDelay(Instant startDate, int heatId) override;
    void showEmptyMessage(std::optional<std::string> text) override;
    void heatsRebuilt(const std::vector<HeatPtr>& heats) override;
    void heatEdited(const HeatPtr& heat, Instant selectedDelayStartDate) override;

    const HeatPtr& heat() const { return m_heat; }
    // The delay shown first when the heat was shown, then the one `selectDelay` chose.
    const DelayPtr& selectedDelay() const { return m_selectedDelay; }
    const std::optional<Instant>& selectedDelayStartDate() const { return m_selectedDelayStartDate; }
    // The cover's text while no heat is shown.
    const std::optional<std::string>& emptyMessage() const { return m_emptyMessage; }

    // The save button exists only while automatic saving is off; it is enabled while the shown heat has
    // edits in the store.
    bool isSaveButtonShown() const { return m_saveButtonShown; }
    bool isSaveButtonEnabled() const { return m_saveButtonEnabled; }

    // The save button (or its shortcut) for the shown heat; does nothing while the cover is up.
    SaveStart saveShownHeat();
    // Sends the edits of any heat (a text front end names the heat). Whether it had any is known once
    // its outcome arrives.
    SaveStart save(int heatId);
    // Saves sent whose outcome (including the removal of the saved edits) has not arrived yet.
    bool isSaving() const { return m_savesInFlight > 0; }
    // The outcomes since last asked.
    std::vector<SaveOutcome> takeOutcomes() { return std::exchange(m_outcomes, {}); }

    // A saver for the editing rules' automatic saves, so that their outcome is awaited too.
    std::shared_ptr<DelaySaver> makeSaver();
    // What a delay's editing rules work with here: the shared store, the user's settings, this screen's
    // connectivity and saver, and the presenter for their alert.
    DelayEditEnvironment editEnvironment();

    // The delay pages below the charts, rebuilt for every heat shown.
    const std::shared_ptr<DelayPagesFlow>& pages() const { return m_pages; }
    // A save was sent by someone else: wait for its outcome too.
    void expectSave();
    // A save of the editing rules (an automatic one): awaited like the button's, and sent for the furnace
    // of the shown heat when it is that heat's.
    void sendEditorSave(int furnaceId, int heatId, std::vector<DelayPtr> delays);

private:
    explicit HeatDetailFlow(Environment environment);
    void observe();

    void operationHasBeenMade(const editing_notifications::OperationHasBeenMade&);
    void journalWriteFailed(const editing_notifications::JournalWriteFailed& failure);
    void finishedSavingDelays(const download_notifications::DelaysSaved& saved);
    void failedSavingDelays(const download_notifications::DelaysSaveFailed& failure);
    void autoSaveOptionChanged(const screen_notifications::AutoSaveOptionChanged& option);
    void didSelectDelay(const screen_notifications::DidSelectDelay& selected);
    void recordOutcome(SaveOutcome outcome);
    void send(int furnaceId, int heatId, std::vector<DelayPtr> delays);
    int furnaceIdForSave(int heatId, int otherwise) const;
    void refreshSaveButton();
    void saveButtonState(bool enabled);
    void changed(HeatDetailChange change);

    Environment m_environment;
    HandlerSlot<HeatDetailChange> m_changeHandler;
    std::shared_ptr<DelayPagesFlow> m_pages;
    HeatPtr m_heat;
    DelayPtr m_selectedDelay;
    std::optional<Instant> m_selectedDelayStartDate;
    std::optional<std::string> m_emptyMessage{defaultEmptyMessage};
    bool m_saveButtonShown = true;
    bool m_saveButtonEnabled = false;
    AlertHandle m_savingAlert; // "Saving..." while a save of ours is on its way
    int m_savesInFlight = 0;
    std::vector<SaveOutcome> m_outcomes;
    // The edited delays the save in flight of each heat carries: their number goes into the text of a
    // failure, and they tell a refused save that had in fact landed.
    std::map<int, std::vector<DelayPtr>> m_sent;
    // A save refused as changed by someone else waits for the heat's new download: when the service turns
    // out to hold exactly what was sent (an earlier try landed although its reply never came), nothing went
    // wrong and nothing is said.
    struct StaleRefusal {
        int heatId = 0;
        std::vector<DelayPtr> sent;
        Alert alert;
    };
    std::optional<StaleRefusal> m_staleRefusal;
    void settleStaleRefusal(const Heat& heat);
    std::vector<ObserverToken> m_observers;
};

} // namespace orvendel::flows
