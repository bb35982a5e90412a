#pragma once

#include "core/editing/connectivity_status.hpp"
#include "core/editing/heats_source.hpp"
#include "core/flows/context.hpp"
#include "core/flows/heats_list_loading.hpp"
#include "core/flows/presenter.hpp"
#include "core/model/furnace.hpp"
#include "core/model/heat.hpp"
#include "core/model/screen_notifications.hpp"
#include "core/screens/guards.hpp"
#include "core/screens/heat_sections.hpp"
#include "core/screens/heats_table.hpp"
#include "core/screens/selection.hpp"
#include "core/support/clock.hpp"
#include "core/support/executor.hpp"
#include "core/support/handler_slot.hpp"
#include "core/support/notification_center.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::flows {

// What the heats list asks of the heat detail beside it.
// Thread contract: called on the user-interface executor.
class HeatsListDelegate {
public:
    virtual ~HeatsListDelegate() = default;
    virtual void showHeat(const HeatPtr& heat, Instant selectedDelayStartDate) = 0;
    virtual void selectDelay(Instant startDate, int heatId) = 0;
    // None: the default message.
    virtual void showEmptyMessage(std::optional<std::string> text) = 0;
    // The heats as just read again with the edits over them, selected or not.
    virtual void heatsRebuilt(const std::vector<HeatPtr>& /*heats*/) {}
    // An edit changed the selected heat's delays (nothing was read again): by default shown afresh.
    virtual void heatEdited(const HeatPtr& heat, Instant selectedDelayStartDate)
    {
        showHeat(heat, selectedDelayStartDate);
    }
};

// What changed in the list, for the front end to redraw.
struct HeatsListChange {
    enum class Kind {
        table,         // sections, rows and the selection: reload
        title,         // the furnace name in the bar
        refreshing,    // the refresh spinner starts or stops
        furnaceButton, // the furnace button's enabled state
        selection,     // only the highlighted row moved (or must be shown again after "No")
        section,       // one section collapsed or expanded: `section`
        rows,          // an edit changed rows of one section: `section`, `rows`
    };
    Kind kind = Kind::table;
    std::size_t section = 0;
    screens::HeatsTable::RowsChange rows{};
};

// The heats list without its table: its sections and the selection. The downloads come from its loading
// part, the heats with the edits laid over them from its source: a download or a furnace switch rebuilds the
// sections, an edit changes only the edited heat's rows. Moving to another heat or furnace asks the
// unsaved-work guard first.
// Thread contract: the user-interface executor; notifications and store completions are moved there.
class HeatsListFlow : public std::enable_shared_from_this<HeatsListFlow> {
public:
    struct Environment {
        ContextPtr context;
        ExecutorPtr executor;
        std::shared_ptr<const ConnectivityStatus> connectivity;
        Presenter::Ref presenter{};
    };
    using ChangeHandler = std::function<void(HeatsListChange)>;

    static std::shared_ptr<HeatsListFlow> create(Environment environment);

    // For the flows opened from the list.
    const ContextPtr& context() const { return m_environment.context; }
    const Presenter::Ref& presenter() const { return m_environment.presenter; }

    void setDelegate(std::weak_ptr<HeatsListDelegate> delegate) { m_delegate = std::move(delegate); }
    // The view's handler, for as long as the token is kept.
    [[nodiscard]] HandlerToken setChangeHandler(ChangeHandler handler)
    {
        return m_changeHandler.set(std::move(handler));
    }

    // A furnace to show instead of the configured one, taken when the furnace list offers it; an unknown one
    // is refused and the configured choice stays as it is.
    void requestFurnace(std::optional<int> furnaceId) { m_loading->requestFurnace(furnaceId); }

    // The list appears: the empty state and the spinner, then the furnace list (or the no-network alert).
    void start();
    // Pull to refresh: the furnace list until a furnace was chosen, then the delays+reasons pair.
    void refresh() { m_loading->refresh(); }
    void toggleSection(std::size_t section);
    // A tap on a row; guards the previously selected heat's unsaved work when it is another heat.
    void selectRow(std::size_t section, std::size_t row);
    // The furnace selection chose another furnace. It is stored only once nothing is at risk or the user
    // answered "Yes"; "No" keeps the shown furnace.
    void didSelectFurnace(const Furnace& furnace);

    // Reads the selected furnace's heats and rebuilds the sections.
    void updateTable();
    // Starts the delays+reasons pair; a request made while one is in flight is remembered and started
    // when that one completes, unless `onlyWhenIdle` (a refresh: the running pair brings the data).
    void startDelaysAndReasonsDownload(bool onlyWhenIdle = false)
    {
        m_loading->startDelaysAndReasonsDownload(onlyWhenIdle);
    }
    // After the configured furnace changed: title, table, and a new download.
    void switchToSelectedFurnace();

    // A download, a read, a rebuild or a guard question is outstanding.
    bool isBusy() const;
    bool loadedSession() const { return m_loading->loadedSession(); }
    bool isDownloadingPair() const { return m_loading->isDownloadingPair(); }
    bool isRefreshing() const { return m_loading->isRefreshing(); }
    bool isFurnaceButtonEnabled() const { return m_loading->loadedSession(); }
    // The empty state ("NO HEATS") covers the list.
    bool showsEmptyState() const { return m_showsEmptyState; }
    // The bar's title: the furnace's name, "No Furnace" when it is not stored, empty before any furnace.
    std::string title() const { return m_loading->title(); }

    const std::optional<Furnace>& furnace() const { return m_loading->furnace(); }
    const std::vector<HeatPtr>& heats() const { return m_heats; }
    const std::optional<std::vector<screens::Section>>& tableData() const { return m_tableData; }
    const std::optional<screens::HeatDelayIdentifier>& selectedHeatDelay() const { return m_selectedHeatDelay; }
    // Selects without guards or delegate calls: a text front end's view of a heat drops nothing.
    void setSelectedHeatDelay(std::optional<screens::HeatDelayIdentifier> selection);
    // The row drawn as selected: the selected delay, or the page last shown for the selected heat.
    std::optional<screens::RowPosition> highlightedRow() const;

private:
    int selectedFurnaceId() const;

    explicit HeatsListFlow(Environment environment);
    void observe();
    void loadingChanged(HeatsListLoading::Change change);

    void didSelectDelay(const screen_notifications::DidSelectDelay& selected);
    void reloadData(const screen_notifications::ReloadData& reload);
    void downloadAndReloadDelays(const screen_notifications::DownloadAndReloadDelays&);

    void rebuildSections(Result<HeatsSource::Heats> read);
    void heatEdited(std::optional<HeatsSource::HeatUpdate> update);
    void alertEditedDelaysRemoved();
    void showHeatAndSelect(int heatId, Instant start);
    void changed(HeatsListChange::Kind kind, std::size_t section = 0, screens::HeatsTable::RowsChange rows = {});

    Environment m_environment;
    std::weak_ptr<HeatsListDelegate> m_delegate;
    HandlerSlot<HeatsListChange> m_changeHandler;
    std::shared_ptr<HeatsListLoading> m_loading;
    std::shared_ptr<HeatsSource> m_source;
    bool m_showsEmptyState = false;
    bool m_guardPending = false;
    int m_outstanding = 0; // reads and edits being laid over
    std::vector<HeatPtr> m_heats;
    std::optional<std::vector<screens::Section>> m_tableData;
    std::optional<screens::HeatDelayIdentifier> m_selectedHeatDelay;
    std::optional<screens::HeatDelayIdentifier> m_highlightedDelay;
    std::vector<ObserverToken> m_observers;
};

} // namespace orvendel::flows
