#pragma once

#include "core/editing/connectivity_status.hpp"
#include "core/editing/delay_saver.hpp"
#include "core/editing/edit_settings.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/model/delay.hpp"
#include "core/model/reason.hpp"
#include "core/model/result_information.hpp"
#include "core/support/notification_center.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel {

// An alert the editing rules raise on the screen that owns the model (acknowledged with "OK"), with the
// failure behind it.
struct EditAlert {
    std::string title;
    std::string message;
    std::optional<Error> error;
};

// What a delay page's model works with. The store and the notification centre are required; missing other
// parts mean: no automatic saving (no settings), no connection (no connectivity), nothing sent (no saver).
struct DelayEditEnvironment {
    std::shared_ptr<EditedDelaysManager> store;
    std::shared_ptr<const EditSettings> settings;
    std::shared_ptr<const ConnectivityStatus> connectivity;
    std::shared_ptr<DelaySaver> saver;
    NotificationCenter* notificationCenter = nullptr;
    std::function<void(EditAlert)> presentAlert;
};

// The editing rules of one delay page: split, reason, comment, undo, and the automatic save after each edit.
// Thread contract: one thread (the user-interface thread); "ReloadData" is posted on it and the alert
// presenter is called on it. Store changes are queued in call order on the store's queue.
class DelayEditModel {
public:
    // `delay` is the delay the page shows; it may itself be an entry of the store. `page` is the sender of
    // "ReloadData" for reason and comment changes.
    DelayEditModel(DelayPtr delay, DelayEditEnvironment environment, const void* page = nullptr);

    const DelayPtr& delay() const { return m_delay; }
    // The page's edited copy; none until the first reason or comment change.
    const DelayPtr& editedDelay() const { return m_editedDelay; }

    // The shown delay's length in whole seconds.
    double splitLength() const;
    // Both pieces must be longer than 9 seconds.
    bool canSplit(float offset) const;
    // Splits at `offset` seconds from the start; does nothing when `canSplit` refuses the offset.
    void splitDelay(float offset, const void* sender);
    // Applies a reason (choosing the current one counts as an edit). A reason without an id could never be
    // saved: it is refused and false is returned.
    bool assignReason(const Reason& reason);
    // Applies the comment when it differs from the delay's (an absent comment counts as ""); returns whether
    // something changed. Clearing a comment stores an empty one.
    bool applyComment(const std::string& text);
    // Removes every edit derived from the delay's service delay, split pieces included.
    void undoAllChanges(const void* sender);

private:
    DelayPtr& prepareEditedDelay();
    void publishEditedDelay();
    void postReloadData(const void* sender, int heatId, Instant selectedStart) const;
    void autoSaveEdits(int heatId, std::vector<DelayPtr> delays) const;

    DelayPtr m_delay;
    DelayPtr m_editedDelay;
    DelayEditEnvironment m_environment;
    const void* m_page;
};

} // namespace orvendel
