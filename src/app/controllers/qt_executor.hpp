#pragma once

#include "core/support/executor.hpp"

#include <QObject>

#include <memory>

namespace orvendel::app {

// The flows' user-interface executor over Qt's event loop: each task is queued to the context object's
// thread. Tasks posted after the context is gone are dropped, as the screen they were for is gone too.
// Thread contract: `post` from any thread, also while the context is being destroyed on its own thread;
// tasks run on the context's (the GUI) thread.
class QtExecutor final : public Executor {
public:
    explicit QtExecutor(QObject* context);

    void post(Task task) override;

private:
    // Shared with the context's `destroyed` handler, which may outlive the executor.
    struct Target;
    std::shared_ptr<Target> m_target;
};

} // namespace orvendel::app
