#pragma once

#include "core/support/executor.hpp"
#include "core/support/notification_center.hpp"

#include <memory>

namespace orvendel::flows {

// Observes `name` (any sender) on `center` and runs `handler` for it on `executor`, as long as the observing
// object still exists then. Notifications arrive on the managers' threads; every flow handles them on its
// front end's user-interface thread through this.
template <typename Object>
[[nodiscard]] ObserverToken observeOn(NotificationCenter& center, const ExecutorPtr& executor, const char* name,
                                      std::weak_ptr<Object> object, void (Object::*handler)(const Notification&))
{
    return center.addObserver(name, [executor, object, handler](const Notification& notification) {
        executor->post([object, handler, notification] {
            if (auto self = object.lock()) {
                ((*self).*handler)(notification);
            }
        });
    });
}

// Runs `step` with the value on `executor` if `object` still exists then: the shape of every completion
// that comes back from a manager's queue to a flow.
template <typename Object, typename Value>
std::function<void(Value)> onExecutor(const ExecutorPtr& executor, std::weak_ptr<Object> object,
                                      void (Object::*step)(Value))
{
    return [executor, object, step](Value value) {
        executor->post([object, step, value = std::move(value)]() mutable {
            if (auto self = object.lock()) {
                ((*self).*step)(std::move(value));
            }
        });
    };
}

} // namespace orvendel::flows
