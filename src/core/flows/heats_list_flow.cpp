#include "core/flows/heats_list_flow.hpp"

#include "core/editing/edited_delays_manager.hpp"
#include "core/flows/observe_on.hpp"
#include "core/flows/unsaved_work_guard.hpp"
#include "core/model/utilities.hpp"
#include "core/screens/error_alert.hpp"
#include "core/screens/furnace_selection.hpp"
#include "core/screens/guards.hpp"
#include "core/screens/heats_table.hpp"
#include "core/service/download_manager.hpp"
#include "core/service/request_parameters.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <ctime>

namespace orvendel::flows {
namespace {

namespace dn = download_notifications;
namespace sn = screen_notifications;

// The device's zone now: the request date is written in it.
TimeZone deviceTimeZone()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return TimeZone::utc();
    }
    return TimeZone::fromOffsetSeconds(static_cast<int>(local.tm_gmtoff)).value_or(TimeZone::utc());
}

} // namespace

std::shared_ptr<HeatsListFlow> HeatsListFlow::create(Environment environment)
{
    std::shared_ptr<HeatsListFlow> flow(new HeatsListFlow(std::move(environment)));
    flow->observe();
    return flow;
}

HeatsListFlow::HeatsListFlow(Environment environment)
    : m_environment(std::move(environment)),
      m_source(HeatsSource::create(m_environment.session->database, m_environment.session->edits))
{}

int HeatsListFlow::selectedFurnaceId() const
{
    return m_environment.session->configuration->selectedFurnaceId();
}

void HeatsListFlow::observe()
{
    const auto& executor = m_environment.executor;
    const std::weak_ptr<HeatsListFlow> self = weak_from_this();
    auto add = [&](const char* name, void (HeatsListFlow::*handler)(const Notification&)) {
        m_observers.push_back(observeOn(*m_environment.session->notificationCenter, executor, name, self, handler));
    };
    add(dn::finishedFurnaces, &HeatsListFlow::finishedDownloadingFurnaces);
    add(dn::failedFurnaces, &HeatsListFlow::failedDownloadingFurnaces);
    add(sn::didSelectDelay, &HeatsListFlow::didSelectDelay);
    add(sn::reloadData, &HeatsListFlow::reloadData);
    add(sn::downloadAndReloadDelays, &HeatsListFlow::downloadAndReloadDelays);
}

void HeatsListFlow::changed(HeatsListChange::Kind kind, std::size_t section, screens::HeatsTable::RowsChange rows)
{
    if (m_changeHandler) {
        m_changeHandler(HeatsListChange{kind, section, rows});
    }
}

void HeatsListFlow::setRefreshing(bool refreshing)
{
    if (m_isRefreshing != refreshing) {
        m_isRefreshing = refreshing;
        changed(HeatsListChange::Kind::refreshing);
    }
}

bool HeatsListFlow::isBusy() const
{
    return m_isDownloadingFurnaces || m_pairsAwaited > 0 || m_pairSettling || m_outstanding > 0 || m_guardPending;
}

std::string HeatsListFlow::title() const
{
    if (!m_loadedSession && !m_furnace) {
        return {};
    }
    return screens::FurnaceSelection::furnaceTitle(m_furnace);
}

void HeatsListFlow::alertNoInternetConnection()
{
    const auto text = screens::noInternetConnectionAlert();
    m_environment.presenter->presentAlert(Alert::ok(text.title, text.message, screens::noInternetConnectionError()));
}

void HeatsListFlow::start()
{
    m_showsEmptyState = true;
    changed(HeatsListChange::Kind::table);
    setRefreshing(true);
    if (!m_environment.connectivity->isInternetAvailable()) {
        setRefreshing(false);
        alertNoInternetConnection();
        return;
    }
    m_environment.session->downloads->downloadFurnacesList();
    m_isDownloadingFurnaces = true;
}

void HeatsListFlow::refresh()
{
    if (!m_environment.connectivity->isInternetAvailable()) {
        setRefreshing(false);
        alertNoInternetConnection();
        return;
    }
    if (!m_loadedSession) {
        if (m_isDownloadingFurnaces) {
            return;
        }
        setRefreshing(true);
        m_environment.session->downloads->downloadFurnacesList();
        m_isDownloadingFurnaces = true;
        return;
    }
    // A running pair brings the data; the spinner turns until it completes.
    setRefreshing(true);
    startDelaysAndReasonsDownload(true);
}

// ---- the furnace list ----

void HeatsListFlow::finishedDownloadingFurnaces(const Notification&)
{
    log("Notification - Finished Downloading Furnaces");
    m_isDownloadingFurnaces = false;
    if (m_loadedSession) {
        return;
    }
    ++m_outstanding;
    m_environment.session->database->fetchFurnaces(
        onExecutor(m_environment.executor, weak_from_this(), &HeatsListFlow::selectFurnaceAfterDownload));
}

void HeatsListFlow::selectFurnaceAfterDownload(Result<std::vector<FurnacePtr>> stored)
{
    --m_outstanding;
    if (!stored) {
        // The session stays unloaded, so that pulling to refresh downloads and reads the furnaces again.
        setRefreshing(false);
        presentStoreReadFailure(m_environment.presenter, stored.error());
        return;
    }
    std::vector<Furnace> furnaces;
    for (const auto& furnace : *stored) {
        if (furnace) {
            furnaces.push_back(*furnace);
        }
    }
    const auto& configuration = m_environment.session->configuration;
    int configured = configuration->selectedFurnaceId();
    if (const auto requested = std::exchange(m_requestedFurnace, std::nullopt)) {
        const bool listed = std::any_of(furnaces.begin(), furnaces.end(),
                                        [&](const Furnace& furnace) { return furnace.id == *requested; });
        if (listed) {
            configured = *requested;
        } else {
            log(fmt::format("Furnace {} is not in the furnace list", *requested));
        }
    }
    const auto chosen = screens::FurnaceSelection::furnaceAfterDownload(furnaces, configured);
    if (!chosen) {
        // Without a furnace there is nothing to download: the list stays empty, the button disabled.
        setRefreshing(false);
        return;
    }
    if (*chosen != configuration->selectedFurnaceId()) {
        configuration->setSelectedFurnaceId(*chosen);
    }
    loadFurnaceTitle();
    m_loadedSession = true;
    log("Loaded Session");
    changed(HeatsListChange::Kind::furnaceButton);
    startDelaysAndReasonsDownload();
}

void HeatsListFlow::loadFurnaceTitle()
{
    ++m_outstanding;
    m_environment.session->database->fetchFurnace(
        selectedFurnaceId(), onExecutor(m_environment.executor, weak_from_this(), &HeatsListFlow::furnaceTitleLoaded));
}

void HeatsListFlow::furnaceTitleLoaded(Result<FurnacePtr> furnace)
{
    --m_outstanding;
    if (!furnace) {
        // The title read always goes with a read or a store of the furnace's heats, which reports the
        // failure; one alert is enough, and the title shown stays.
        log("Reading the stored furnace failed: " + furnace.error().description);
        return;
    }
    m_furnace = *furnace ? std::optional<Furnace>(**furnace) : std::nullopt;
    changed(HeatsListChange::Kind::title);
}

void HeatsListFlow::failedDownloadingFurnaces(const Notification& notification)
{
    log("Notification - Failed Downloading Furnaces");
    m_isDownloadingFurnaces = false;
    if (!m_loadedSession) {
        setRefreshing(false);
        showErrorAlert(notification.value<Error>(dn::errorKey));
    }
}

// ---- the delays and reasons pair ----

void HeatsListFlow::startDelaysAndReasonsDownload(bool onlyWhenIdle)
{
    if (onlyWhenIdle && m_pairsAwaited > 0) {
        return;
    }
    // Behind a pair in flight the manager starts this one when that completes: a pair that started before a
    // save or a furnace switch would show what was there before them.
    ++m_pairsAwaited;
    const std::string requestDate =
        Utilities::zonedDateText(m_environment.session->clock->now(), Calendar::gregorian(deviceTimeZone()));
    m_environment.session->downloads->downloadDelaysAndReasons(
        selectedFurnaceId(), requestDate,
        onExecutor(m_environment.executor, weak_from_this(), &HeatsListFlow::pairDownloaded));
}

void HeatsListFlow::pairDownloaded(Result<void> outcome)
{
    --m_pairsAwaited;
    if (!outcome && !m_pairFailure) {
        m_pairFailure = outcome.error();
    }
    // Callers that waited behind the same pair hear of it together: one read and one alert for all of them.
    if (std::exchange(m_pairSettling, true)) {
        return;
    }
    m_environment.executor->post([self = weak_from_this()] {
        if (auto flow = self.lock()) {
            flow->settlePair();
        }
    });
}

void HeatsListFlow::settlePair()
{
    m_pairSettling = false;
    if (m_pairsAwaited == 0) {
        setRefreshing(false);
    }
    // Whatever half arrived is in the database now, also when the other half failed.
    updateTable();
    if (auto failure = std::exchange(m_pairFailure, std::nullopt)) {
        showErrorAlert(&*failure);
    }
}

void HeatsListFlow::showErrorAlert(const Error* error)
{
    // A download whose reply could not be stored fails without an error; it still deserves an alert.
    const Error shown =
        error ? *error
              : Error{orv_error::domain, orv_error::failureWithoutError, "The downloaded data could not be stored."};
    const auto text = screens::problemAlert(shown);
    m_environment.presenter->presentAlert(Alert::ok(text.title, text.message, shown));
}

// ---- reading back and rebuilding ----

void HeatsListFlow::updateTable()
{
    ++m_outstanding;
    m_source->read(selectedFurnaceId(),
                   onExecutor(m_environment.executor, weak_from_this(), &HeatsListFlow::rebuildSections));
}

void HeatsListFlow::alertEditedDelaysRemoved()
{
    const auto text = screens::editedDelaysRemovedAlert();
    m_environment.presenter->presentAlert(Alert::ok(text.title, text.message));
}

void HeatsListFlow::rebuildSections(Result<HeatsSource::Heats> read)
{
    --m_outstanding;
    if (!read) {
        // The table keeps what it showed: a failed read is no reason to show "NO HEATS".
        presentStoreReadFailure(m_environment.presenter, read.error());
        return;
    }
    m_heats = std::move(read->heats);
    m_tableData = screens::buildSections(m_heats, m_tableData.value_or(std::vector<screens::Section>{}));
    m_showsEmptyState = m_heats.empty();
    m_selectedHeatDelay = screens::repairSelection(m_selectedHeatDelay, m_heats);
    m_highlightedDelay = m_selectedHeatDelay;
    changed(HeatsListChange::Kind::table);
    if (read->editedDelaysRemoved) {
        alertEditedDelaysRemoved();
    }
    auto delegate = m_delegate.lock();
    if (!delegate) {
        return;
    }
    delegate->heatsRebuilt(m_heats);
    if (m_selectedHeatDelay) {
        if (const auto heat = screens::findHeat(m_heats, m_selectedHeatDelay->heatId)) {
            delegate->showHeat(heat, m_selectedHeatDelay->delayStartDate);
        }
    }
}

void HeatsListFlow::heatEdited(std::optional<HeatsSource::HeatUpdate> update)
{
    --m_outstanding;
    const int heatId = update ? update->heat->heatId : 0;
    const auto shown =
        std::find_if(m_heats.begin(), m_heats.end(), [heatId](const HeatPtr& heat) { return heat->heatId == heatId; });
    if (!update || !m_tableData || shown == m_heats.end() || m_tableData->size() != m_heats.size()) {
        // Nothing of this furnace was read yet, or the heat came or went with a read: read afresh.
        updateTable();
        return;
    }
    const auto index = static_cast<std::size_t>(shown - m_heats.begin());
    auto& section = (*m_tableData)[index];
    auto edited = screens::makeSection(*update->heat, section.collapsed);
    const auto rows = screens::HeatsTable::diffRows(section, edited);
    section = std::move(edited);
    *shown = update->heat;
    if (!rows.none()) {
        changed(HeatsListChange::Kind::rows, index, rows);
    }
    if (m_selectedHeatDelay && m_selectedHeatDelay->heatId == heatId) {
        m_selectedHeatDelay = screens::repairSelection(m_selectedHeatDelay, m_heats);
    }
    m_highlightedDelay = m_selectedHeatDelay;
    changed(HeatsListChange::Kind::selection);
    if (update->editedDelaysRemoved) {
        alertEditedDelaysRemoved();
    }
    if (m_selectedHeatDelay && m_selectedHeatDelay->heatId == heatId) {
        if (auto delegate = m_delegate.lock()) {
            delegate->heatEdited(update->heat, m_selectedHeatDelay->delayStartDate);
        }
    }
}

// ---- the user's moves ----

void HeatsListFlow::toggleSection(std::size_t section)
{
    if (m_tableData && screens::HeatsTable::toggleSection(*m_tableData, section)) {
        changed(HeatsListChange::Kind::section, section);
    }
}

void HeatsListFlow::showHeatAndSelect(int heatId, Instant start)
{
    const auto heat = screens::findHeat(m_heats, heatId);
    if (!heat) {
        return;
    }
    m_selectedHeatDelay = screens::HeatDelayIdentifier{heatId, start};
    m_highlightedDelay = m_selectedHeatDelay;
    if (auto delegate = m_delegate.lock()) {
        delegate->showHeat(heat, start);
    }
    changed(HeatsListChange::Kind::selection);
}

void HeatsListFlow::selectRow(std::size_t section, std::size_t row)
{
    if (m_guardPending || !m_tableData || section >= m_tableData->size() ||
        row >= (*m_tableData)[section].items.size()) {
        return;
    }
    const int heatId = (*m_tableData)[section].heatId;
    const Instant start = (*m_tableData)[section].items[row].startDate;
    switch (screens::rowSelectionAction(m_selectedHeatDelay, heatId)) {
    case screens::RowSelectionAction::ShowHeat:
        showHeatAndSelect(heatId, start);
        return;
    case screens::RowSelectionAction::SelectDelayInShownHeat:
        m_selectedHeatDelay->delayStartDate = start;
        m_highlightedDelay = m_selectedHeatDelay;
        if (auto delegate = m_delegate.lock()) {
            delegate->selectDelay(start, heatId);
        }
        changed(HeatsListChange::Kind::selection);
        return;
    case screens::RowSelectionAction::GuardPreviousHeat:
        break;
    }
    const int previousHeatId = m_selectedHeatDelay->heatId;
    m_guardPending = true;
    guardUnsavedWork(*m_environment.session, previousHeatId, selectedFurnaceId(), m_environment.executor,
                     *m_environment.presenter, YesLog::unsavedDelays,
                     [self = weak_from_this(), heatId, start, previousHeatId](GuardDecision decision) {
                         auto flow = self.lock();
                         if (!flow) {
                             return;
                         }
                         flow->m_guardPending = false;
                         switch (decision) {
                         case GuardDecision::proceed:
                             flow->showHeatAndSelect(heatId, start);
                             return;
                         case GuardDecision::discard:
                             flow->m_selectedHeatDelay = screens::HeatDelayIdentifier{heatId, start};
                             flow->m_environment.session->edits->removeAllEditedDelays(previousHeatId, [] {});
                             // The rebuild shows the new heat once the edits are gone.
                             flow->updateTable();
                             return;
                         case GuardDecision::stay:
                             // The previous row is selected again.
                             flow->m_highlightedDelay = flow->m_selectedHeatDelay;
                             flow->changed(HeatsListChange::Kind::selection);
                             return;
                         }
                     });
}

void HeatsListFlow::didSelectFurnace(const Furnace& furnace)
{
    if (m_guardPending) {
        return;
    }
    const int furnaceId = furnace.id;
    const auto check = screens::furnaceSwitchCheck(m_selectedHeatDelay, m_heats, furnaceId);
    if (!check) {
        m_environment.session->configuration->setSelectedFurnaceId(furnaceId);
        switchToSelectedFurnace();
        return;
    }
    m_guardPending = true;
    guardUnsavedWork(*m_environment.session, check->heatId, check->furnaceId, m_environment.executor,
                     *m_environment.presenter, YesLog::anyQuestion,
                     [self = weak_from_this(), furnaceId, heatId = check->heatId](GuardDecision decision) {
                         auto flow = self.lock();
                         if (!flow) {
                             return;
                         }
                         flow->m_guardPending = false;
                         if (decision == GuardDecision::stay) {
                             return; // nothing was stored: the shown furnace stays selected
                         }
                         if (decision == GuardDecision::discard) {
                             flow->m_environment.session->edits->removeAllEditedDelays(heatId, [] {});
                         }
                         flow->m_environment.session->configuration->setSelectedFurnaceId(furnaceId);
                         flow->switchToSelectedFurnace();
                     });
}

void HeatsListFlow::switchToSelectedFurnace()
{
    loadFurnaceTitle();
    updateTable();
    // A pair of the previous furnace still on its way is followed by the new furnace's.
    if (m_loadedSession && m_environment.connectivity->isInternetAvailable()) {
        setRefreshing(true);
        startDelaysAndReasonsDownload();
    } else {
        refresh();
    }
    if (auto delegate = m_delegate.lock()) {
        delegate->showEmptyMessage("Select an item to display delays");
    }
}

void HeatsListFlow::setSelectedHeatDelay(std::optional<screens::HeatDelayIdentifier> selection)
{
    m_selectedHeatDelay = selection;
    m_highlightedDelay = selection;
    changed(HeatsListChange::Kind::selection);
}

std::optional<screens::RowPosition> HeatsListFlow::highlightedRow() const
{
    if (!m_highlightedDelay || !m_tableData) {
        return std::nullopt;
    }
    return screens::indexPathOfDelay(*m_tableData, m_highlightedDelay->heatId, m_highlightedDelay->delayStartDate);
}

// ---- requests from the other screens ----

void HeatsListFlow::didSelectDelay(const Notification& notification)
{
    const auto selection = sn::selection(notification);
    if (!selection || !m_selectedHeatDelay || m_selectedHeatDelay->heatId != selection->heatId) {
        return;
    }
    // The page the user turned to is the selection from now on: a rebuild shows that page again.
    m_selectedHeatDelay = screens::HeatDelayIdentifier{selection->heatId, selection->delayStartDate};
    m_highlightedDelay = m_selectedHeatDelay;
    changed(HeatsListChange::Kind::selection);
}

void HeatsListFlow::reloadData(const Notification& notification)
{
    const auto selection = sn::selection(notification);
    if (!selection) {
        updateTable();
        return;
    }
    m_selectedHeatDelay = screens::HeatDelayIdentifier{selection->heatId, selection->delayStartDate};
    // An edit changes the edit store, not the database: only the edited heat gets its edits laid over it
    // again, and only its rows change.
    ++m_outstanding;
    m_source->editsChanged(selectedFurnaceId(), selection->heatId,
                           onExecutor(m_environment.executor, weak_from_this(), &HeatsListFlow::heatEdited));
}

void HeatsListFlow::downloadAndReloadDelays(const Notification& notification)
{
    if (const auto selection = sn::downloadSelection(notification)) {
        m_selectedHeatDelay = screens::HeatDelayIdentifier{selection->heatId, selection->delayStartDate};
    }
    startDelaysAndReasonsDownload();
}

} // namespace orvendel::flows
