#include "core/flows/heat_detail_flow.hpp"

#include "core/editing/edited_delays_manager.hpp"
#include "core/flows/configured_edit_settings.hpp"
#include "core/flows/observe_on.hpp"
#include "core/model/screen_notifications.hpp"
#include "core/model/texts.hpp"
#include "core/platform/http_transport.hpp"
#include "core/screens/error_alert.hpp"
#include "core/screens/selection.hpp"
#include "core/service/download_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"

#include <fmt/format.h>

#include <utility>

namespace orvendel::flows {
namespace {

namespace dn = download_notifications;

class ObservedSaver final : public DelaySaver {
public:
    ObservedSaver(std::weak_ptr<HeatDetailFlow> flow, std::shared_ptr<DownloadManager> downloads)
        : m_flow(std::move(flow)), m_downloads(std::move(downloads))
    {}

    void saveDelays(int furnaceId, int heatId, std::vector<DelayPtr> delays) override
    {
        // Counted on the flow's thread before the request can finish.
        if (auto flow = m_flow.lock()) {
            flow->sendEditorSave(furnaceId, heatId, std::move(delays));
            return;
        }
        m_downloads->saveDelays(furnaceId, heatId, std::move(delays));
    }

private:
    std::weak_ptr<HeatDetailFlow> m_flow;
    std::shared_ptr<DownloadManager> m_downloads;
};

// A transport failure in the operator's terms; none for the service's own refusals and the program's failures.
std::optional<screens::ConnectionProblem> connectionProblemOf(const Error& error)
{
    using screens::ConnectionProblem;
    if (error.domain != transport_error::domain) {
        return std::nullopt;
    }
    switch (error.code) {
    case transport_error::timedOut:
        return ConnectionProblem::timedOut;
    case transport_error::cannotFindHost:
        return ConnectionProblem::serverNotFound;
    case transport_error::cannotConnectToHost:
        return ConnectionProblem::serverUnreachable;
    case transport_error::networkConnectionLost:
    case transport_error::shutDown:
        return ConnectionProblem::connectionLost;
    case transport_error::secureConnectionFailed:
        return ConnectionProblem::notSecure;
    default:
        return ConnectionProblem::other;
    }
}

} // namespace

std::shared_ptr<HeatDetailFlow> HeatDetailFlow::create(Environment environment)
{
    std::shared_ptr<HeatDetailFlow> flow(new HeatDetailFlow(std::move(environment)));
    flow->m_saveButtonShown = !flow->m_environment.context->configuration->isAutoSaveEnabled();
    flow->observe();
    flow->m_pages =
        DelayPagesFlow::create(DelayPagesFlow::Environment{flow->m_environment.context, flow->m_environment.executor,
                                                           flow->m_environment.presenter, flow->editEnvironment()});
    return flow;
}

HeatDetailFlow::HeatDetailFlow(Environment environment) : m_environment(std::move(environment)) {}

void HeatDetailFlow::observe()
{
    const auto& executor = m_environment.executor;
    auto& center = *m_environment.context->notificationCenter;
    const std::weak_ptr<HeatDetailFlow> self = weak_from_this();
    m_observers.push_back(observeOn(center, executor, self, &HeatDetailFlow::operationHasBeenMade));
    m_observers.push_back(observeOn(center, executor, self, &HeatDetailFlow::journalWriteFailed));
    // The removal of the saved edits starts on the posting thread, so that "DownloadAndReloadDelays" follows
    // it on the store's queue; only the screen's part moves to the executor.
    m_observers.push_back(center.observe<dn::DelaysSaved>([self](const dn::DelaysSaved& saved) {
        if (auto flow = self.lock()) {
            flow->finishedSavingDelays(saved);
        }
    }));
    m_observers.push_back(observeOn(center, executor, self, &HeatDetailFlow::failedSavingDelays));
    m_observers.push_back(observeOn(center, executor, self, &HeatDetailFlow::autoSaveOptionChanged));
    // A page turn moves the charts' selection.
    m_observers.push_back(observeOn(center, executor, self, &HeatDetailFlow::didSelectDelay));
}

void HeatDetailFlow::changed(HeatDetailChange change)
{
    if (m_changeHandler) {
        m_changeHandler(change);
    }
}

// ---- what the heats list shows here ----

void HeatDetailFlow::showHeat(const HeatPtr& heat, Instant selectedDelayStartDate)
{
    if (!heat) {
        return;
    }
    if (!heat->delays) {
        showEmptyMessage(std::string(noDelaysMessage));
        return;
    }
    m_selectedDelay = screens::delayToShow(*heat, selectedDelayStartDate);
    m_selectedDelayStartDate = m_selectedDelay ? std::optional<Instant>(m_selectedDelay->startDate.date) : std::nullopt;
    m_heat = heat;
    m_emptyMessage.reset();
    m_pages->setDelays(*heat->delays, m_selectedDelayStartDate);
    changed(HeatDetailChange::heat);
    refreshSaveButton();
}

void HeatDetailFlow::heatEdited(const HeatPtr& heat, Instant selectedDelayStartDate)
{
    if (!heat || !heat->delays || !m_heat || m_heat->heatId != heat->heatId || m_emptyMessage) {
        showHeat(heat, selectedDelayStartDate);
        return;
    }
    m_heat = heat;
    m_pages->updateDelays(*heat->delays, selectedDelayStartDate);
    m_selectedDelay = screens::delayToShow(*heat, selectedDelayStartDate);
    m_selectedDelayStartDate = m_selectedDelay ? std::optional<Instant>(m_selectedDelay->startDate.date) : std::nullopt;
    changed(HeatDetailChange::delays);
    refreshSaveButton();
}

void HeatDetailFlow::heatsRebuilt(const std::vector<HeatPtr>& heats)
{
    if (!m_staleRefusal) {
        return;
    }
    if (const auto heat = screens::findHeat(heats, m_staleRefusal->heatId)) {
        settleStaleRefusal(*heat);
    } else {
        // The heat left the last 24 hours meanwhile: nothing tells whether the save landed.
        m_environment.presenter.presentAlert(m_staleRefusal->alert);
        m_staleRefusal.reset();
    }
}

void HeatDetailFlow::selectDelay(Instant startDate, int heatId)
{
    if (!m_heat || m_heat->heatId != heatId) {
        return;
    }
    m_selectedDelayStartDate = startDate;
    m_selectedDelay = screens::delayToShow(*m_heat, startDate);
    m_pages->showDelay(startDate);
    changed(HeatDetailChange::selection);
}

void HeatDetailFlow::didSelectDelay(const screen_notifications::DidSelectDelay& selected)
{
    const auto& selection = selected.selection;
    if (!m_heat || m_heat->heatId != selection.heatId) {
        return;
    }
    m_selectedDelayStartDate = selection.delayStartDate;
    m_selectedDelay = screens::delayToShow(*m_heat, selection.delayStartDate);
    changed(HeatDetailChange::selection);
}

void HeatDetailFlow::showEmptyMessage(std::optional<std::string> text)
{
    // The previous heat stays as it was behind the cover.
    m_emptyMessage = text.value_or(defaultEmptyMessage);
    changed(HeatDetailChange::heat);
}

// ---- the save button ----

void HeatDetailFlow::operationHasBeenMade(const editing_notifications::OperationHasBeenMade&)
{
    if (m_heat) {
        refreshSaveButton();
    }
}

// The edit stands in memory but would not survive the app: said at once, not only at the end. Without an
// error of its own, so that it does not read as a refused edit.
void HeatDetailFlow::journalWriteFailed(const editing_notifications::JournalWriteFailed& failure)
{
    if (!m_environment.presenter) {
        return;
    }
    m_environment.presenter.presentAlert(
        Alert::ok(texts::editNotStoredTitle, fmt::format(texts::editNotStoredMessage, failure.error.description)));
}

void HeatDetailFlow::refreshSaveButton()
{
    if (!m_heat) {
        return;
    }
    m_environment.context->edits->hasEditedDelays(
        m_heat->heatId, onExecutor(m_environment.executor, weak_from_this(), &HeatDetailFlow::saveButtonState));
}

void HeatDetailFlow::saveButtonState(bool enabled)
{
    if (m_saveButtonEnabled != enabled) {
        m_saveButtonEnabled = enabled;
        changed(HeatDetailChange::saveButton);
    }
}

void HeatDetailFlow::autoSaveOptionChanged(const screen_notifications::AutoSaveOptionChanged& option)
{
    m_saveButtonShown = !option.enabled;
    changed(HeatDetailChange::saveButton);
}

// ---- saving ----

std::shared_ptr<DelaySaver> HeatDetailFlow::makeSaver()
{
    return std::make_shared<ObservedSaver>(weak_from_this(), m_environment.context->downloads);
}

DelayEditEnvironment HeatDetailFlow::editEnvironment()
{
    DelayEditEnvironment environment;
    const auto& context = *m_environment.context;
    environment.store = context.edits;
    environment.settings = std::make_shared<ConfiguredEditSettings>(context.configuration);
    environment.connectivity = m_environment.connectivity;
    environment.saver = makeSaver();
    environment.notificationCenter = context.notificationCenter.get();
    if (m_environment.presenter) {
        environment.presentAlert = editAlertsOn(m_environment.presenter);
    }
    return environment;
}

void HeatDetailFlow::expectSave()
{
    ++m_savesInFlight;
}

void HeatDetailFlow::sendEditorSave(int furnaceId, int heatId, std::vector<DelayPtr> delays)
{
    expectSave();
    m_sent[heatId] = delays;
    m_environment.context->downloads->saveDelays(furnaceIdForSave(heatId, furnaceId), heatId, std::move(delays));
}

// The furnace the heat was downloaded for when it is the shown one: after a furnace switch the selected
// furnace is another one, and the service would look for the heat there.
int HeatDetailFlow::furnaceIdForSave(int heatId, int otherwise) const
{
    return m_heat && m_heat->heatId == heatId && m_heat->furnaceId != 0 ? m_heat->furnaceId : otherwise;
}

HeatDetailFlow::SaveStart HeatDetailFlow::saveShownHeat()
{
    // The cover hides the heat behind it: what cannot be seen is not saved, not even by a shortcut.
    if (m_emptyMessage) {
        return SaveStart::nothingToSave;
    }
    if (!m_environment.connectivity->isInternetAvailable()) {
        return save(0);
    }
    if (!m_heat) {
        return SaveStart::nothingToSave;
    }
    return save(m_heat->heatId);
}

HeatDetailFlow::SaveStart HeatDetailFlow::save(int heatId)
{
    if (!m_environment.connectivity->isInternetAvailable()) {
        const auto text = screens::noInternetConnectionAlert();
        m_environment.presenter.presentAlert(Alert::ok(text.title, text.message, screens::noInternetConnectionError()));
        return SaveStart::noNetwork;
    }
    // Counted now: the store's answer is part of the save.
    expectSave();
    const int furnaceId = furnaceIdForSave(heatId, m_environment.context->configuration->selectedFurnaceId());
    m_environment.context->edits->getEditedDelays(heatId, [executor = m_environment.executor, self = weak_from_this(),
                                                           furnaceId, heatId](std::vector<DelayPtr> delays) {
        postWhileAlive(executor, self, [furnaceId, heatId, delays = std::move(delays)](HeatDetailFlow& flow) mutable {
            flow.send(furnaceId, heatId, std::move(delays));
        });
    });
    return SaveStart::started;
}

void HeatDetailFlow::send(int furnaceId, int heatId, std::vector<DelayPtr> delays)
{
    if (delays.empty()) {
        recordOutcome(SaveOutcome{heatId, false, true});
        return;
    }
    if (!m_savingAlert) {
        m_savingAlert = m_environment.presenter.presentAlert(Alert::progress(texts::saving));
    }
    changed(HeatDetailChange::saving);
    m_sent[heatId] = delays;
    m_environment.context->downloads->saveDelays(furnaceId, heatId, std::move(delays));
}

// Runs on the thread that posted the notification.
void HeatDetailFlow::finishedSavingDelays(const dn::DelaysSaved& saved)
{
    auto record = [executor = m_environment.executor, self = weak_from_this()](SaveOutcome outcome) {
        postWhileAlive(executor, self, [outcome](HeatDetailFlow& flow) { flow.recordOutcome(outcome); });
    };
    const void* sender = this;
    m_environment.context->edits->removeEditedDelays(
        saved.delays, saved.heatId,
        [center = m_environment.context->notificationCenter, record, sender, id = saved.heatId] {
            center->post(screen_notifications::DownloadAndReloadDelays{}, sender);
            // Queued after the heats list's reaction to the notification above, so whoever waits for the
            // outcome sees the new download already under way.
            record(SaveOutcome{id, true});
        });
}

void HeatDetailFlow::failedSavingDelays(const dn::DelaysSaveFailed& failure)
{
    const int heatId = failure.heatId;
    const Error& error = failure.error;
    std::optional<std::size_t> sentCount;
    std::vector<DelayPtr> sentDelays;
    if (const auto sent = m_sent.find(heatId); sent != m_sent.end()) {
        sentCount = sent->second.size();
        sentDelays = sent->second;
    }
    auto text = screens::savingFailedAlert(error, sentCount, connectionProblemOf(error));
    Alert alert = Alert::ok(std::move(text.title), std::move(text.message), error);
    if (!screens::isStaleSaveRefusal(error)) {
        // The outcome first: it takes the "Saving..." alert away, not the failure's.
        recordOutcome(SaveOutcome{heatId, false});
        m_environment.presenter.presentAlert(alert);
        return;
    }
    // The service holds a newer version than the list: fetch it now rather than on the next refresh. The
    // outcome follows the list's reaction, so whoever waits for it sees the download under way; the alert
    // waits for the heat's new version (settleStaleRefusal).
    m_environment.context->notificationCenter->post(screen_notifications::DownloadAndReloadDelays{}, this);
    postWhileAlive(
        m_environment.executor, weak_from_this(),
        [outcome = SaveOutcome{heatId, false},
         refusal = StaleRefusal{heatId, std::move(sentDelays), std::move(alert)}](HeatDetailFlow& flow) mutable {
            flow.m_staleRefusal = std::move(refusal);
            flow.recordOutcome(outcome);
        });
}

void HeatDetailFlow::settleStaleRefusal(const Heat& heat)
{
    if (!m_staleRefusal || m_staleRefusal->heatId != heat.heatId || !heat.delays) {
        return;
    }
    const StaleRefusal refusal = std::move(*m_staleRefusal);
    m_staleRefusal.reset();
    const auto heldExactly = [&heat](const DelayPtr& sent) {
        return std::any_of(heat.delays->begin(), heat.delays->end(), [&sent](const DelayPtr& shown) {
            return shown && !shown->isEdited && shown->startDate.date == sent->startDate.date &&
                   shown->endDate.date == sent->endDate.date && shown->reasonId == sent->reasonId &&
                   shown->comment.value_or("") == sent->comment.value_or("");
        });
    };
    if (!refusal.sent.empty() && std::all_of(refusal.sent.begin(), refusal.sent.end(), heldExactly)) {
        log("The refused save had landed: the service holds exactly the edits sent");
        return;
    }
    m_environment.presenter.presentAlert(refusal.alert);
}

void HeatDetailFlow::recordOutcome(SaveOutcome outcome)
{
    if (m_savesInFlight > 0) {
        --m_savesInFlight;
    }
    if (outcome.heatId) {
        m_sent.erase(*outcome.heatId);
    }
    m_outcomes.push_back(outcome);
    m_environment.presenter.dismiss(std::exchange(m_savingAlert, {}));
    changed(HeatDetailChange::saving);
    refreshSaveButton();
}

} // namespace orvendel::flows
