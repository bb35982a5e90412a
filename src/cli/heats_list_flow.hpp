#pragma once

#include "cli/announcements.hpp"
#include "cli/main_loop.hpp"
#include "core/editing/connectivity_status.hpp"
#include "core/model/furnace.hpp"
#include "core/model/heat.hpp"
#include "core/screens/heat_sections.hpp"
#include "core/screens/selection.hpp"
#include "core/support/notification_center.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::cli {

// The heats list without its table: drives the downloads after sign-in (furnace list, then delays and
// reasons of the selected furnace as a pair), reads the heats back, lays the unsaved edits over them and
// rebuilds the sections, as the app's list does; alerts go to the announcements.
// Thread contract: the main loop's thread; notifications and store completions are moved there.
class HeatsListFlow : public std::enable_shared_from_this<HeatsListFlow> {
public:
    struct Environment {
        std::shared_ptr<MainLoop> loop;
        const ConnectivityStatus* connectivity = nullptr;
        Announcements* announcements = nullptr;
    };

    static std::shared_ptr<HeatsListFlow> create(Environment environment);

    // The list appears: asks for the furnace list, or alerts when the network is down.
    void start();
    // Pull to refresh: the furnace list until a furnace was chosen, then the delays+reasons pair.
    void refresh();
    // After the configured furnace changed: title, table, and a new download.
    void switchToSelectedFurnace();
    // Reads the selected furnace's heats and rebuilds the sections.
    void updateTable();
    void startDelaysAndReasonsDownload();

    // A download, a read or a rebuild is outstanding.
    bool isBusy() const;
    bool loadedSession() const { return m_loadedSession; }
    bool isDownloadingPair() const { return m_pairInFlight.has_value(); }

    const std::optional<Furnace>& furnace() const { return m_furnace; }
    const std::vector<HeatPtr>& heats() const { return m_heats; }
    const std::optional<std::vector<screens::Section>>& tableData() const { return m_tableData; }
    const std::optional<screens::HeatDelayIdentifier>& selectedHeatDelay() const { return m_selectedHeatDelay; }
    void setSelectedHeatDelay(std::optional<screens::HeatDelayIdentifier> selection)
    {
        m_selectedHeatDelay = selection;
    }

private:
    struct DelaysReasonsDownloadIdentifiers {
        std::string delaysDownloadIdentifier;
        bool finishedDownloadingDelays = false;
        std::string reasonsDownloadIdentifier;
        bool finishedDownloadingReasons = false;
    };

    explicit HeatsListFlow(Environment environment);
    void observe();

    void finishedDownloadingFurnaces(const Notification& notification);
    void failedDownloadingFurnaces(const Notification& notification);
    void finishedDownloadingDelays(const Notification& notification);
    void failedDownloadingDelays(const Notification& notification);
    void finishedDownloadingReasons(const Notification& notification);
    void failedDownloadingReasons(const Notification& notification);
    void reloadData(const Notification& notification);
    void downloadAndReloadDelays(const Notification& notification);

    void selectFurnaceAfterDownload(const std::vector<FurnacePtr>& furnaces);
    void loadFurnaceTitle();
    // Marks one half of the pair; true when that completed the pair.
    bool completePairHalf(bool delays);
    void rebuildSections(const std::vector<DelayPtr>& editedDelays);
    void showErrorAlert(const Notification& notification);
    void alertNoInternetConnection();
    // Runs `work` on the main loop after an asynchronous step, keeping the flow busy until then.
    template <typename Value>
    std::function<void(Value)> onLoop(void (HeatsListFlow::*step)(const Value&));

    Environment m_environment;
    bool m_loadedSession = false;
    bool m_isDownloadingFurnaces = false;
    int m_outstanding = 0; // reads and rebuilds under way
    std::optional<DelaysReasonsDownloadIdentifiers> m_pairInFlight;
    std::optional<Furnace> m_furnace;
    std::vector<HeatPtr> m_heats;
    std::optional<std::vector<screens::Section>> m_tableData;
    std::optional<screens::HeatDelayIdentifier> m_selectedHeatDelay;
    std::vector<ObserverToken> m_observers;
};

} // namespace orvendel::cli
