#include "cli/heat_detail_flow.hpp"

#include "cli/loop_observer.hpp"
#include "cli/screen_notifications.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/screens/error_alert.hpp"
#include "core/service/download_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"

namespace orvendel::cli {
namespace {

namespace dn = download_notifications;

class ObservedSaver final : public DelaySaver {
public:
    explicit ObservedSaver(std::weak_ptr<HeatDetailFlow> flow) : m_flow(std::move(flow)) {}

    void saveDelays(int furnaceId, int heatId, std::vector<DelayPtr> delays) override
    {
        if (auto flow = m_flow.lock()) {
            flow->expectSave();
        }
        DownloadManager::shared()->saveDelays(furnaceId, heatId, std::move(delays));
    }

private:
    std::weak_ptr<HeatDetailFlow> m_flow;
};

} // namespace

std::shared_ptr<HeatDetailFlow> HeatDetailFlow::create(Environment environment)
{
    std::shared_ptr<HeatDetailFlow> flow(new HeatDetailFlow(std::move(environment)));
    flow->observe();
    return flow;
}

HeatDetailFlow::HeatDetailFlow(Environment environment) : m_environment(std::move(environment)) {}

void HeatDetailFlow::observe()
{
    const std::weak_ptr<HeatDetailFlow> self = weak_from_this();
    // The removal of the saved edits starts on the posting thread, so that "DownloadAndReloadDelays" follows
    // it on the store's queue; only the bookkeeping moves to the main loop.
    m_observers.push_back(
        NotificationCenter::defaultCenter().addObserver(dn::finishedSaving, [self](const Notification& notification) {
            if (auto flow = self.lock()) {
                flow->finishedSavingDelays(notification);
            }
        }));
    m_observers.push_back(
        observeOnLoop(m_environment.loop, dn::failedSaving, self, &HeatDetailFlow::failedSavingDelays));
}

std::shared_ptr<DelaySaver> HeatDetailFlow::makeSaver()
{
    return std::make_shared<ObservedSaver>(weak_from_this());
}

HeatDetailFlow::SaveStart HeatDetailFlow::save(int heatId)
{
    if (!m_environment.connectivity->isInternetAvailable()) {
        const auto text = screens::noInternetConnectionAlert();
        m_environment.announcements->alert(Alert{text.title, text.message, screens::noInternetConnectionError()});
        return SaveStart::noNetwork;
    }
    auto store = EditedDelaysManager::shared();
    if (!store->hasEditedDelays(heatId)) {
        return SaveStart::nothingToSave;
    }
    expectSave();
    const int furnaceId = UserConfigurationManager::shared().selectedFurnaceId();
    store->getEditedDelays(heatId, [furnaceId, heatId](std::vector<DelayPtr> delays) {
        DownloadManager::shared()->saveDelays(furnaceId, heatId, std::move(delays));
    });
    return SaveStart::started;
}

// Runs on the thread that posted the notification.
void HeatDetailFlow::finishedSavingDelays(const Notification& notification)
{
    const int* heatId = notification.value<int>(dn::heatIdKey);
    const auto* delays = notification.value<std::vector<DelayPtr>>(dn::delaysKey);
    auto post = [loop = m_environment.loop, self = weak_from_this()](SaveOutcome outcome) {
        loop->post([self, outcome] {
            if (auto flow = self.lock()) {
                flow->recordOutcome(outcome);
            }
        });
    };
    if (!heatId || !delays) {
        post(SaveOutcome{heatId ? std::optional<int>(*heatId) : std::nullopt, true});
        return;
    }
    const void* sender = this;
    EditedDelaysManager::shared()->removeEditedDelays(*delays, *heatId, [post, sender, id = *heatId] {
        NotificationCenter::defaultCenter().post(screen_notifications::downloadAndReloadDelays, sender);
        // Queued after the heats list's reaction to the notification above, so a waiting command sees the
        // new download already under way.
        post(SaveOutcome{id, true});
    });
}

void HeatDetailFlow::failedSavingDelays(const Notification& notification)
{
    if (const Error* error = notification.value<Error>(dn::errorKey)) {
        m_environment.announcements->alert(Alert{"Error Saving Delays", screens::errorAlertMessage(*error), *error});
    }
    const int* heatId = notification.value<int>(dn::heatIdKey);
    recordOutcome(SaveOutcome{heatId ? std::optional<int>(*heatId) : std::nullopt, false});
}

void HeatDetailFlow::recordOutcome(SaveOutcome outcome)
{
    if (m_savesInFlight > 0) {
        --m_savesInFlight;
    }
    m_outcomes.push_back(outcome);
}

} // namespace orvendel::cli
