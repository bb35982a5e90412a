#include "app/controllers/qt_executor.hpp"

#include <QMetaObject>

namespace orvendel::app {

void QtExecutor::post(Task task)
{
    QObject* context = m_context.data();
    if (!context) {
        return;
    }
    QMetaObject::invokeMethod(context, std::move(task), Qt::QueuedConnection);
}

} // namespace orvendel::app
