#pragma once

#include "core/editing/edited_delays_manager.hpp"
#include "core/model/heat.hpp"
#include "core/support/error.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace orvendel {

class DatabaseManager;

// The heats list's data: a furnace's last 24 hours as the database holds them, with the operator's unsaved
// edits laid over them. A read goes to the database; an edit lays only its heat's edits over that heat's
// stored delays again, without reading anything. Edits the service has overtaken are taken out of the store,
// and edits re-based on the operator's own save are put back on the newer version, as they are laid over.
// Thread contract: any thread. The heats last read are kept and used on the edit store's queue only, so that
// reads and edits are laid over in the order they reached the store; completions run on that queue.
class HeatsSource : public std::enable_shared_from_this<HeatsSource> {
public:
    struct Heats {
        int furnaceId = 0;
        std::vector<HeatPtr> heats;
        // Some edit was left out because the service holds a newer version.
        bool editedDelaysRemoved = false;
    };
    struct HeatUpdate {
        HeatPtr heat;
        bool editedDelaysRemoved = false;
    };
    using ReadCompletion = std::function<void(Result<Heats>)>;
    using UpdateCompletion = std::function<void(std::optional<HeatUpdate>)>;

    static std::shared_ptr<HeatsSource> create(std::shared_ptr<DatabaseManager> database,
                                               std::shared_ptr<EditedDelaysManager> edits);

    // Reads the furnace's heats and lays the edits over them.
    void read(int furnaceId, ReadCompletion completion);
    // The heat's edits changed: the heat as last read of that furnace with its edits as they are now. None when
    // nothing of that furnace was read yet or the heat is not among those read (the caller reads instead).
    void editsChanged(int furnaceId, int heatId, UpdateCompletion completion);

private:
    HeatsSource(std::shared_ptr<DatabaseManager> database, std::shared_ptr<EditedDelaysManager> edits);
    // What the service overtook, to hand back to the store.
    struct Overtaken {
        std::vector<DelayPtr> stale;
        std::vector<std::pair<DelayPtr, DelayPtr>> rebased;
        bool editedDelaysRemoved = false;
    };
    // Lays the edits over one stored heat.
    HeatPtr layOver(const HeatPtr& stored, const std::vector<DelayPtr>& edits, const std::vector<DelayPtr>& ownSaves,
                    Overtaken& overtaken) const;
    // Hands the overtaken edits back to the store, then runs `then` (on the store's queue, after them).
    void handBack(Overtaken overtaken, std::function<void()> then) const;

    // Not owned: a source kept alive by a callback on a manager's own thread must never be what ends that
    // manager there. When the session is gone, nothing is read and nobody is told.
    std::weak_ptr<DatabaseManager> m_database;
    std::weak_ptr<EditedDelaysManager> m_edits;
    // On the store's queue only.
    struct Stored {
        int furnaceId = 0;
        std::vector<HeatPtr> heats;
    };
    std::optional<Stored> m_stored;
};

} // namespace orvendel
