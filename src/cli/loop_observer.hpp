#pragma once

#include "cli/main_loop.hpp"
#include "core/support/notification_center.hpp"

#include <memory>

namespace orvendel::cli {

// Observes a notification (any sender) on the default centre and runs `handler` for it on the main loop,
// as long as the observing object still exists then.
template <typename Object>
[[nodiscard]] ObserverToken observeOnLoop(const std::shared_ptr<MainLoop>& loop, const char* name,
                                          std::weak_ptr<Object> object, void (Object::*handler)(const Notification&))
{
    return NotificationCenter::defaultCenter().addObserver(name,
                                                           [loop, object, handler](const Notification& notification) {
                                                               loop->post([object, handler, notification] {
                                                                   if (auto self = object.lock()) {
                                                                       ((*self).*handler)(notification);
                                                                   }
                                                               });
                                                           });
}

} // namespace orvendel::cli
