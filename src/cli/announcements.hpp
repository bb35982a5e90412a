#pragma once

#include "cli/reply.hpp"

#include <string>
#include <vector>

namespace orvendel::cli {

// What the screens showed since the last command printed: alerts, and notices of screen changes the app
// shows without an alert (a forced sign-out). The next reply takes them.
// Thread contract: the main loop's thread only.
struct Announcements {
    std::vector<Alert> alerts;
    std::vector<std::string> notices;

    void alert(Alert value) { alerts.push_back(std::move(value)); }
    void notice(std::string text) { notices.push_back(std::move(text)); }

    void moveInto(Reply& reply)
    {
        for (auto& value : alerts) {
            reply.add(std::move(value));
        }
        for (auto& text : notices) {
            reply.notices.push_back(std::move(text));
        }
        alerts.clear();
        notices.clear();
    }
};

} // namespace orvendel::cli
