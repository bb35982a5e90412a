#pragma once

#include "core/support/executor.hpp"
#include "core/support/notification_center.hpp"

#include <memory>

namespace orvendel::flows {

// Observes the notification `handler` takes (any sender) on `center` and runs `handler` with it on `executor`,
// as long as the observing object still exists then. Notifications arrive on the managers' threads; every
// flow handles them on its front end's user-interface thread through this.
template <typename Object, NotificationPayload Payload>
[[nodiscard]] ObserverToken observeOn(NotificationCenter& center, const ExecutorPtr& executor,
                                      std::weak_ptr<Object> object, void (Object::*handler)(const Payload&))
{
    return center.observe<Payload>([executor, object, handler](const Payload& payload) {
        postWhileAlive(executor, object, [handler, payload](Object& self) { (self.*handler)(payload); });
    });
}

// Runs `work(object)` on `executor` if `object` still exists then: the one way back to a flow from another
// thread, or later on its own.
template <typename Object, typename Work>
void postWhileAlive(const ExecutorPtr& executor, std::weak_ptr<Object> object, Work work)
{
    executor->post([object = std::move(object), work = std::move(work)]() mutable {
        if (auto self = object.lock()) {
            work(*self);
        }
    });
}

// Runs `step` with the value on `executor` if `object` still exists then: the shape of every completion
// that comes back from a manager's queue to a flow.
template <typename Object, typename Value>
std::function<void(Value)> onExecutor(const ExecutorPtr& executor, std::weak_ptr<Object> object,
                                      void (Object::*step)(Value))
{
    return [executor, object, step](Value value) {
        postWhileAlive(executor, object,
                       [step, value = std::move(value)](Object& self) mutable { (self.*step)(std::move(value)); });
    };
}

} // namespace orvendel::flows
