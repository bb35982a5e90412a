#pragma once

#include "core/flows/context.hpp"
#include "core/flows/presenter.hpp"
#include "core/model/reason.hpp"
#include "core/screens/reason_finder.hpp"
#include "core/service/download_resources.hpp"
#include "core/support/executor.hpp"
#include "core/support/handler_slot.hpp"
#include "core/support/notification_center.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::flows {

// The reason finder without its list: reads the stored reason tree of the selected furnace, opens the
// branch of the delay's current reason and hands the reason the user assigns to the editor. It also asks
// for a fresh tree and rebuilds from the store when a reasons download finished, keeping the checked reason
// and the open categories.
// Thread contract: the user-interface executor; store completions and notifications are moved there.
class ReasonFinderFlow : public std::enable_shared_from_this<ReasonFinderFlow> {
public:
    struct Environment {
        ContextPtr context;
        ExecutorPtr executor;
        Presenter::Ref presenter{}; // none: a failed read is only logged
    };
    using AssignHandler = std::function<void(const Reason&)>;
    using CloseHandler = std::function<void()>;
    using ChangeHandler = std::function<void()>;

    // Starts reading the store and downloading; the tree arrives through the change handler.
    static std::shared_ptr<ReasonFinderFlow> create(Environment environment, std::optional<int> selectedReasonId,
                                                    AssignHandler onAssign, CloseHandler onClose);

    // The view's handler, for as long as the token is kept.
    [[nodiscard]] HandlerToken setChangeHandler(ChangeHandler handler)
    {
        return m_changeHandler.set(std::move(handler));
    }

    const screens::ReasonFinder& finder() const { return m_finder; }
    // The identifier of the finder's own reasons download.
    const std::string& downloadIdentifier() const { return m_downloadIdentifier; }

    // A tap on a visible row.
    screens::ReasonFinder::Tap tapRow(std::size_t row);
    // "Assign Reason": hands the checked reason over; false (nothing happens) while none is checked.
    bool assign();
    // "Close": nothing is assigned.
    void close();

private:
    ReasonFinderFlow(Environment environment, std::optional<int> selectedReasonId, AssignHandler onAssign,
                     CloseHandler onClose);
    void start();
    void readStore();
    void loaded(Result<std::vector<ReasonPtr>> rows);
    // A finished reasons download that names another caller's identifier is not ours to rebuild for.
    void finishedDownloadingReasons(const download_notifications::ReasonsDownloaded& downloaded);
    void logVisibleRows() const;
    void changed();

    Environment m_environment;
    AssignHandler m_onAssign;
    CloseHandler m_onClose;
    HandlerSlot<> m_changeHandler;
    int m_furnaceId = 0;
    std::string m_downloadIdentifier;
    screens::ReasonFinder m_finder;
    std::vector<ObserverToken> m_observers;
};

} // namespace orvendel::flows
