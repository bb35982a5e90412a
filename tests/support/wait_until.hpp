#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace orvendel::test {

// Polls `condition` until it holds or `timeout` passes (generous: never expected to run out); its last
// answer. For state another thread or process changes without offering anything to wait on.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return condition();
        }
        // The polling interval: nothing waits for time itself to pass.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace orvendel::test
