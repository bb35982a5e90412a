#pragma once

#include "core/support/executor.hpp"

#include <QObject>
#include <QPointer>

namespace orvendel::app {

// The flows' user-interface executor over Qt's event loop: each task is queued to the context object's
// thread. Tasks posted after the context is gone are dropped, as the screen they were for is gone too.
// Thread contract: `post` from any thread; tasks run on the context's (the GUI) thread.
class QtExecutor final : public Executor {
public:
    explicit QtExecutor(QObject* context) : m_context(context) {}

    void post(Task task) override;

private:
    QPointer<QObject> m_context;
};

} // namespace orvendel::app
