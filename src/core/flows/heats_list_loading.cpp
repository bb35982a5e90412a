#include "core/flows/heats_list_loading.hpp"

#include "core/flows/observe_on.hpp"
#include "core/model/utilities.hpp"
#include "core/screens/error_alert.hpp"
#include "core/screens/furnace_selection.hpp"
#include "core/service/download_manager.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/clock.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace orvendel::flows {
namespace {

namespace dn = download_notifications;

// The session clock's zone at `at`: the request date is written in it, so the service answers for the day
// the clock shows.
TimeZone zoneAt(const Clock& clock, Instant at)
{
    return TimeZone::fromOffsetSeconds(static_cast<int>(clock.utcOffset(at).count())).value_or(TimeZone::utc());
}

} // namespace

std::shared_ptr<HeatsListLoading> HeatsListLoading::create(Environment environment, Listener listener)
{
    std::shared_ptr<HeatsListLoading> loading(new HeatsListLoading(std::move(environment), std::move(listener)));
    loading->observe();
    return loading;
}

HeatsListLoading::HeatsListLoading(Environment environment, Listener listener)
    : m_environment(std::move(environment)), m_listener(std::move(listener))
{}

void HeatsListLoading::observe()
{
    auto& center = *m_environment.context->notificationCenter;
    const std::weak_ptr<HeatsListLoading> self = weak_from_this();
    m_observers.push_back(
        observeOn(center, m_environment.executor, self, &HeatsListLoading::finishedDownloadingFurnaces));
    m_observers.push_back(
        observeOn(center, m_environment.executor, self, &HeatsListLoading::failedDownloadingFurnaces));
}

int HeatsListLoading::selectedFurnaceId() const
{
    return m_environment.context->configuration->selectedFurnaceId();
}

void HeatsListLoading::furnaceSwitched()
{
    loadFurnaceTitle();
    // A pair of the previous furnace still on its way is followed by the new furnace's.
    if (m_loadedSession && m_environment.connectivity->isInternetAvailable()) {
        setRefreshing(true);
        startDelaysAndReasonsDownload();
    } else {
        refresh();
    }
}

void HeatsListLoading::setRefreshing(bool refreshing)
{
    if (m_isRefreshing != refreshing) {
        m_isRefreshing = refreshing;
        m_listener(Change::refreshing);
    }
}

std::string HeatsListLoading::title() const
{
    if (!m_loadedSession && !m_furnace) {
        return {};
    }
    return screens::FurnaceSelection::furnaceTitle(m_furnace);
}

void HeatsListLoading::alertNoInternetConnection()
{
    const auto text = screens::noInternetConnectionAlert();
    m_environment.presenter.presentAlert(Alert::ok(text.title, text.message, screens::noInternetConnectionError()));
}

void HeatsListLoading::start()
{
    setRefreshing(true);
    if (!m_environment.connectivity->isInternetAvailable()) {
        setRefreshing(false);
        alertNoInternetConnection();
        return;
    }
    m_environment.context->downloads->downloadFurnacesList();
    m_isDownloadingFurnaces = true;
}

void HeatsListLoading::refresh()
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
        m_environment.context->downloads->downloadFurnacesList();
        m_isDownloadingFurnaces = true;
        return;
    }
    // A running pair brings the data; the spinner turns until it completes.
    setRefreshing(true);
    startDelaysAndReasonsDownload(true);
}

// ---- the furnace list ----

void HeatsListLoading::finishedDownloadingFurnaces(const dn::FurnacesDownloaded&)
{
    log("Notification - Finished Downloading Furnaces");
    m_isDownloadingFurnaces = false;
    if (m_loadedSession) {
        return;
    }
    ++m_reads;
    m_environment.context->database->fetchFurnaces(
        onExecutor(m_environment.executor, weak_from_this(), &HeatsListLoading::selectFurnaceAfterDownload));
}

void HeatsListLoading::selectFurnaceAfterDownload(Result<std::vector<FurnacePtr>> stored)
{
    --m_reads;
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
    const auto& configuration = m_environment.context->configuration;
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
    m_listener(Change::furnaceButton);
    startDelaysAndReasonsDownload();
}

void HeatsListLoading::loadFurnaceTitle()
{
    ++m_reads;
    m_environment.context->database->fetchFurnace(
        selectedFurnaceId(),
        onExecutor(m_environment.executor, weak_from_this(), &HeatsListLoading::furnaceTitleLoaded));
}

void HeatsListLoading::furnaceTitleLoaded(Result<FurnacePtr> furnace)
{
    --m_reads;
    if (!furnace) {
        // The title read always goes with a read or a store of the furnace's heats, which reports the
        // failure; one alert is enough, and the title shown stays.
        log("Reading the stored furnace failed: " + furnace.error().description);
        return;
    }
    m_furnace = *furnace ? std::optional<Furnace>(**furnace) : std::nullopt;
    m_listener(Change::title);
}

void HeatsListLoading::failedDownloadingFurnaces(const dn::FurnacesDownloadFailed& failure)
{
    log("Notification - Failed Downloading Furnaces");
    m_isDownloadingFurnaces = false;
    if (!m_loadedSession) {
        setRefreshing(false);
        showErrorAlert(failure.error);
    }
}

// ---- the delays and reasons pair ----

void HeatsListLoading::startDelaysAndReasonsDownload(bool onlyWhenIdle)
{
    if (onlyWhenIdle && m_pairsAwaited > 0) {
        return;
    }
    // Behind a pair in flight the manager starts this one when that completes: a pair that started before a
    // save or a furnace switch would show what was there before them.
    ++m_pairsAwaited;
    const Clock& clock = *m_environment.context->clock;
    const Instant now = clock.now();
    const std::string requestDate = Utilities::zonedDateText(now, Calendar::gregorian(zoneAt(clock, now)));
    m_environment.context->downloads->downloadDelaysAndReasons(
        selectedFurnaceId(), requestDate,
        onExecutor(m_environment.executor, weak_from_this(), &HeatsListLoading::pairDownloaded));
}

void HeatsListLoading::pairDownloaded(Result<void> outcome)
{
    --m_pairsAwaited;
    if (!outcome && !m_pairFailure) {
        m_pairFailure = outcome.error();
    }
    // Callers that waited behind the same pair hear of it together: one read and one alert for all of them.
    if (std::exchange(m_pairSettling, true)) {
        return;
    }
    postWhileAlive(m_environment.executor, weak_from_this(), [](HeatsListLoading& loading) { loading.settlePair(); });
}

void HeatsListLoading::settlePair()
{
    m_pairSettling = false;
    if (m_pairsAwaited == 0) {
        setRefreshing(false);
    }
    // Whatever half arrived is in the database now, also when the other half failed.
    m_listener(Change::downloaded);
    if (auto failure = std::exchange(m_pairFailure, std::nullopt)) {
        showErrorAlert(*failure);
    }
}

void HeatsListLoading::showErrorAlert(const Error& error)
{
    const auto text = screens::problemAlert(error);
    m_environment.presenter.presentAlert(Alert::ok(text.title, text.message, error));
}

} // namespace orvendel::flows
