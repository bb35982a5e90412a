#include "app/controllers/qt_executor.hpp"

#include <QMetaObject>

#include <mutex>

namespace orvendel::app {

// A QPointer read on a worker thread may pass its check just before the GUI thread frees the object. The
// context is cleared under this mutex when it starts to be destroyed, and a post holds the mutex while it
// queues: the context's own teardown then drops what was queued, and nothing is queued after it.
struct QtExecutor::Target {
    std::mutex mutex;
    QObject* context = nullptr;
};

QtExecutor::QtExecutor(QObject* context) : m_target(std::make_shared<Target>())
{
    m_target->context = context;
    if (context) {
        // Direct: emitted on the context's thread at the start of its teardown.
        QObject::connect(context, &QObject::destroyed, [target = m_target] {
            std::lock_guard lock(target->mutex);
            target->context = nullptr;
        });
    }
}

void QtExecutor::post(Task task)
{
    std::lock_guard lock(m_target->mutex);
    if (m_target->context) {
        QMetaObject::invokeMethod(m_target->context, std::move(task), Qt::QueuedConnection);
    }
}

} // namespace orvendel::app
