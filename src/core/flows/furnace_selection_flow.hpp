#pragma once

#include "core/flows/heats_list_flow.hpp"
#include "core/model/furnace.hpp"
#include "core/screens/furnace_selection.hpp"
#include "core/support/executor.hpp"
#include "core/support/handler_slot.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace orvendel::flows {

// The furnace popover without its list: the stored furnaces (hidden ones left out, by name), the check
// mark, and a choice handed to the heats list, which stores it once nothing is at risk.
// Thread contract: the user-interface executor; the stored list is moved there.
class FurnaceSelectionFlow : public std::enable_shared_from_this<FurnaceSelectionFlow> {
public:
    using ChangeHandler = std::function<void()>;

    // Works in the heats list's session.
    static std::shared_ptr<FurnaceSelectionFlow> create(ExecutorPtr executor,
                                                        const std::shared_ptr<HeatsListFlow>& heatsList);

    // The view's handler, for as long as the token is kept.
    [[nodiscard]] HandlerToken setChangeHandler(ChangeHandler handler)
    {
        return m_changeHandler.set(std::move(handler));
    }

    // Reads the stored furnaces; the list changes when they arrive. A failed read is shown as an alert
    // through the heats list's presenter and leaves the list as it was.
    void load();
    // The read finished, whether or not it succeeded.
    bool isLoaded() const { return m_loaded; }
    // Why the last read failed; none after a successful one.
    const std::optional<Error>& loadError() const { return m_loadError; }
    const std::vector<Furnace>& furnaces() const { return m_furnaces; }
    int selectedFurnaceId() const { return m_selectedFurnaceId; }
    screens::FurnaceSelection::Row row(std::size_t index) const;
    // The row to show in the middle when the list opens.
    std::optional<std::size_t> initialRow() const;
    // A tap on a row: true when another furnace was chosen (the popover then closes).
    bool choose(std::size_t index);

private:
    FurnaceSelectionFlow(ContextPtr context, ExecutorPtr executor, std::weak_ptr<HeatsListFlow> heatsList,
                         Presenter::Ref presenter);
    void loaded(Result<std::vector<FurnacePtr>> furnaces);

    ContextPtr m_context;
    ExecutorPtr m_executor;
    std::weak_ptr<HeatsListFlow> m_heatsList;
    Presenter::Ref m_presenter; // the heats list's
    HandlerSlot<> m_changeHandler;
    bool m_loaded = false;
    std::optional<Error> m_loadError;
    std::vector<Furnace> m_furnaces;
    int m_selectedFurnaceId = 0;
};

} // namespace orvendel::flows
