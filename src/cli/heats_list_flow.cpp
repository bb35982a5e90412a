#include "cli/heats_list_flow.hpp"

#include "cli/loop_observer.hpp"
#include "cli/screen_notifications.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/model/utilities.hpp"
#include "core/screens/error_alert.hpp"
#include "core/screens/furnace_selection.hpp"
#include "core/service/download_manager.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

#include <ctime>
#include <random>

namespace orvendel::cli {
namespace {

namespace dn = download_notifications;
namespace sn = screen_notifications;

// The device's zone now, as the request date is written in it.
TimeZone deviceTimeZone()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return TimeZone::utc();
    }
    return TimeZone::fromOffsetSeconds(static_cast<int>(local.tm_gmtoff)).value_or(TimeZone::utc());
}

// A random (version 4) UUID in its standard text form.
std::string makeUUID()
{
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<unsigned> byte(0, 255);
    unsigned char bytes[16];
    for (auto& b : bytes) {
        b = static_cast<unsigned char>(byte(generator));
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    std::string text;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text += '-';
        }
        text += fmt::format("{:02X}", bytes[i]);
    }
    return text;
}

} // namespace

std::shared_ptr<HeatsListFlow> HeatsListFlow::create(Environment environment)
{
    std::shared_ptr<HeatsListFlow> flow(new HeatsListFlow(std::move(environment)));
    flow->observe();
    return flow;
}

HeatsListFlow::HeatsListFlow(Environment environment) : m_environment(std::move(environment)) {}

void HeatsListFlow::observe()
{
    const auto& loop = m_environment.loop;
    const std::weak_ptr<HeatsListFlow> self = weak_from_this();
    m_observers.push_back(observeOnLoop(loop, dn::finishedFurnaces, self, &HeatsListFlow::finishedDownloadingFurnaces));
    m_observers.push_back(observeOnLoop(loop, dn::failedFurnaces, self, &HeatsListFlow::failedDownloadingFurnaces));
    m_observers.push_back(observeOnLoop(loop, dn::finishedDelays, self, &HeatsListFlow::finishedDownloadingDelays));
    m_observers.push_back(observeOnLoop(loop, dn::failedDelays, self, &HeatsListFlow::failedDownloadingDelays));
    m_observers.push_back(observeOnLoop(loop, dn::finishedReasons, self, &HeatsListFlow::finishedDownloadingReasons));
    m_observers.push_back(observeOnLoop(loop, dn::failedReasons, self, &HeatsListFlow::failedDownloadingReasons));
    m_observers.push_back(observeOnLoop(loop, sn::reloadData, self, &HeatsListFlow::reloadData));
    m_observers.push_back(
        observeOnLoop(loop, sn::downloadAndReloadDelays, self, &HeatsListFlow::downloadAndReloadDelays));
}

template <typename Value>
std::function<void(Value)> HeatsListFlow::onLoop(void (HeatsListFlow::*step)(const Value&))
{
    ++m_outstanding;
    return [loop = m_environment.loop, self = weak_from_this(), step](Value value) {
        loop->post([self, step, value = std::move(value)] {
            if (auto flow = self.lock()) {
                --flow->m_outstanding;
                ((*flow).*step)(value);
            }
        });
    };
}

bool HeatsListFlow::isBusy() const
{
    return m_isDownloadingFurnaces || m_pairInFlight || m_outstanding > 0;
}

void HeatsListFlow::alertNoInternetConnection()
{
    const auto text = screens::noInternetConnectionAlert();
    m_environment.announcements->alert(Alert{text.title, text.message, screens::noInternetConnectionError()});
}

void HeatsListFlow::start()
{
    if (!m_environment.connectivity->isInternetAvailable()) {
        alertNoInternetConnection();
        return;
    }
    DownloadManager::shared()->downloadFurnacesList();
    m_isDownloadingFurnaces = true;
}

void HeatsListFlow::refresh()
{
    if (!m_environment.connectivity->isInternetAvailable()) {
        alertNoInternetConnection();
        return;
    }
    if (!m_loadedSession) {
        if (m_isDownloadingFurnaces) {
            return;
        }
        DownloadManager::shared()->downloadFurnacesList();
        m_isDownloadingFurnaces = true;
        return;
    }
    startDelaysAndReasonsDownload();
}

// ---- the furnace list ----

void HeatsListFlow::finishedDownloadingFurnaces(const Notification&)
{
    log("Notification - Finished Downloading Furnaces");
    m_isDownloadingFurnaces = false;
    if (m_loadedSession) {
        return;
    }
    DatabaseManager::shared().fetchFurnaces(onLoop(&HeatsListFlow::selectFurnaceAfterDownload));
}

void HeatsListFlow::selectFurnaceAfterDownload(const std::vector<FurnacePtr>& stored)
{
    std::vector<Furnace> furnaces;
    for (const auto& furnace : stored) {
        if (furnace) {
            furnaces.push_back(*furnace);
        }
    }
    auto& configuration = UserConfigurationManager::shared();
    const int configured = configuration.selectedFurnaceId();
    const auto chosen = screens::FurnaceSelection::furnaceAfterDownload(furnaces, configured);
    if (!chosen) {
        return;
    }
    if (*chosen != configured) {
        configuration.setSelectedFurnaceId(*chosen);
    }
    loadFurnaceTitle();
    m_loadedSession = true;
    log("Loaded Session");
    startDelaysAndReasonsDownload();
}

void HeatsListFlow::loadFurnaceTitle()
{
    ++m_outstanding;
    DatabaseManager::shared().fetchFurnace(UserConfigurationManager::shared().selectedFurnaceId(),
                                           [loop = m_environment.loop, self = weak_from_this()](FurnacePtr furnace) {
                                               loop->post([self, furnace] {
                                                   if (auto flow = self.lock()) {
                                                       --flow->m_outstanding;
                                                       flow->m_furnace =
                                                           furnace ? std::optional<Furnace>(*furnace) : std::nullopt;
                                                   }
                                               });
                                           });
}

void HeatsListFlow::failedDownloadingFurnaces(const Notification& notification)
{
    log("Notification - Failed Downloading Furnaces");
    m_isDownloadingFurnaces = false;
    if (!m_loadedSession) {
        showErrorAlert(notification);
    }
}

// ---- the delays and reasons pair ----

void HeatsListFlow::startDelaysAndReasonsDownload()
{
    if (m_pairInFlight) {
        return;
    }
    const int furnaceId = UserConfigurationManager::shared().selectedFurnaceId();
    const std::string requestDate =
        Utilities::zonedDateText(std::chrono::system_clock::now(), Calendar::gregorian(deviceTimeZone()));
    m_pairInFlight = DelaysReasonsDownloadIdentifiers{makeUUID(), false, makeUUID(), false};
    auto manager = DownloadManager::shared();
    manager->downloadDelays(furnaceId, requestDate);
    manager->downloadReasons(furnaceId);
}

bool HeatsListFlow::completePairHalf(bool delays)
{
    auto& pair = *m_pairInFlight;
    const bool otherFinished = delays ? pair.finishedDownloadingReasons : pair.finishedDownloadingDelays;
    (delays ? pair.finishedDownloadingDelays : pair.finishedDownloadingReasons) = true;
    if (!otherFinished) {
        return false;
    }
    m_pairInFlight.reset();
    return true;
}

void HeatsListFlow::finishedDownloadingDelays(const Notification&)
{
    if (!m_pairInFlight) {
        return;
    }
    log("Notification - Finished Downloading Delays");
    if (completePairHalf(true)) {
        updateTable();
    }
}

void HeatsListFlow::failedDownloadingDelays(const Notification& notification)
{
    if (!m_pairInFlight) {
        return;
    }
    completePairHalf(true);
    showErrorAlert(notification);
}

void HeatsListFlow::finishedDownloadingReasons(const Notification&)
{
    if (!m_pairInFlight) {
        return;
    }
    log("Notification - Finished Downloading Reasons");
    if (completePairHalf(false)) {
        updateTable();
    }
}

void HeatsListFlow::failedDownloadingReasons(const Notification& notification)
{
    if (!m_pairInFlight) {
        return;
    }
    completePairHalf(false);
    showErrorAlert(notification);
}

void HeatsListFlow::showErrorAlert(const Notification& notification)
{
    const Error* error = notification.value<Error>(dn::errorKey);
    // A download whose reply could not be stored fails without an error; it still deserves an alert.
    const Error shown =
        error ? *error
              : Error{orv_error::domain, orv_error::failureWithoutError, "The downloaded data could not be stored."};
    const auto text = screens::problemAlert(shown);
    m_environment.announcements->alert(Alert{text.title, text.message, shown});
}

// ---- reading back and rebuilding ----

void HeatsListFlow::updateTable()
{
    ++m_outstanding;
    DatabaseManager::shared().fetchLast24HoursHeats(
        UserConfigurationManager::shared().selectedFurnaceId(),
        [loop = m_environment.loop, self = weak_from_this()](std::vector<HeatPtr> heats) {
            loop->post([self, heats = std::move(heats)] {
                auto flow = self.lock();
                if (!flow) {
                    return;
                }
                flow->m_heats = heats;
                EditedDelaysManager::shared()->getAllEditedDelays(flow->onLoop(&HeatsListFlow::rebuildSections));
                --flow->m_outstanding;
            });
        });
}

void HeatsListFlow::rebuildSections(const std::vector<DelayPtr>& editedDelays)
{
    auto build = screens::buildSections(m_heats, screens::groupEditsByHeat(editedDelays),
                                        m_tableData.value_or(std::vector<screens::Section>{}));
    m_heats = std::move(build.heats);
    m_tableData = std::move(build.sections);
    if (!build.staleEdits.empty()) {
        EditedDelaysManager::shared()->removeStaleEditedDelays(std::move(build.staleEdits));
    }
    m_selectedHeatDelay = screens::repairSelection(m_selectedHeatDelay, m_heats);
    if (build.editedDelaysRemoved) {
        const auto text = screens::editedDelaysRemovedAlert();
        m_environment.announcements->alert(Alert{text.title, text.message, std::nullopt});
    }
}

// ---- requests from the other screens ----

void HeatsListFlow::reloadData(const Notification& notification)
{
    const int* heatId = notification.value<int>(screen_notifications::heatIdKey);
    const Instant* start = notification.value<Instant>(screen_notifications::selectedDelayStartDateKey);
    if (heatId && start) {
        m_selectedHeatDelay = screens::HeatDelayIdentifier{*heatId, *start};
    }
    updateTable();
}

void HeatsListFlow::downloadAndReloadDelays(const Notification& notification)
{
    const int* heatId = notification.value<int>(screen_notifications::selectedHeatIdKey);
    const Instant* start = notification.value<Instant>(screen_notifications::selectedDelayStartDateKey);
    if (heatId && start) {
        m_selectedHeatDelay = screens::HeatDelayIdentifier{*heatId, *start};
    }
    startDelaysAndReasonsDownload();
}

void HeatsListFlow::switchToSelectedFurnace()
{
    loadFurnaceTitle();
    updateTable();
    refresh();
}

} // namespace orvendel::cli
