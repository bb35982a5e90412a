#pragma once

#include "core/editing/connectivity_status.hpp"
#include "core/flows/context.hpp"
#include "core/flows/presenter.hpp"
#include "core/model/furnace.hpp"
#include "core/service/download_notifications.hpp"
#include "core/support/error.hpp"
#include "core/support/executor.hpp"
#include "core/support/notification_center.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::flows {

// The heats list's downloads after sign-in: the furnace list until a furnace is chosen, the chosen furnace's
// name, then the delays and reasons of the selected furnace as one pair from the download manager; the refresh
// spinner that goes with them, and the alerts of their failures.
// Thread contract: the user-interface executor; notifications and completions are moved there.
class HeatsListLoading : public std::enable_shared_from_this<HeatsListLoading> {
public:
    enum class Change {
        title,         // the furnace's name
        refreshing,    // the spinner starts or stops
        furnaceButton, // a furnace was chosen: the furnace button is enabled
        downloaded,    // a pair ended: what it brought is in the database (also when a half failed)
    };
    using Listener = std::function<void(Change)>;

    struct Environment {
        ContextPtr context;
        ExecutorPtr executor;
        std::shared_ptr<const ConnectivityStatus> connectivity;
        Presenter::Ref presenter{};
    };

    static std::shared_ptr<HeatsListLoading> create(Environment environment, Listener listener);

    // A furnace to show instead of the configured one, taken when the furnace list offers it.
    void requestFurnace(std::optional<int> furnaceId) { m_requestedFurnace = furnaceId; }
    // The spinner, then the furnace list (or the no-network alert).
    void start();
    // The furnace list until a furnace was chosen, then the pair (none more while one is on its way).
    void refresh();
    // A pair of the selected furnace, behind the one in flight unless `onlyWhenIdle`.
    void startDelaysAndReasonsDownload(bool onlyWhenIdle = false);
    // The configured furnace changed: its name, and its pair.
    void furnaceSwitched();

    bool isBusy() const { return m_isDownloadingFurnaces || m_pairsAwaited > 0 || m_pairSettling || m_reads > 0; }
    bool loadedSession() const { return m_loadedSession; }
    bool isDownloadingPair() const { return m_pairsAwaited > 0; }
    bool isRefreshing() const { return m_isRefreshing; }
    std::string title() const;
    const std::optional<Furnace>& furnace() const { return m_furnace; }

private:
    HeatsListLoading(Environment environment, Listener listener);
    void observe();
    int selectedFurnaceId() const;

    void finishedDownloadingFurnaces(const download_notifications::FurnacesDownloaded&);
    void failedDownloadingFurnaces(const download_notifications::FurnacesDownloadFailed& failure);
    void selectFurnaceAfterDownload(Result<std::vector<FurnacePtr>> furnaces);
    void loadFurnaceTitle();
    void furnaceTitleLoaded(Result<FurnacePtr> furnace);
    void pairDownloaded(Result<void> outcome);
    void settlePair();
    void showErrorAlert(const Error& error);
    void alertNoInternetConnection();
    void setRefreshing(bool refreshing);

    Environment m_environment;
    Listener m_listener;
    bool m_loadedSession = false;
    bool m_isDownloadingFurnaces = false;
    bool m_isRefreshing = false;
    std::optional<int> m_requestedFurnace;
    int m_reads = 0;             // furnace reads under way
    int m_pairsAwaited = 0;      // pairs asked of the download manager whose outcome has not come
    bool m_pairSettling = false; // an outcome came; the read and the alert follow on the next turn
    std::optional<Error> m_pairFailure;
    std::optional<Furnace> m_furnace;
    std::vector<ObserverToken> m_observers;
};

} // namespace orvendel::flows
