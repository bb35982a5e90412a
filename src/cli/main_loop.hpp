#pragma once

#include "core/support/executor.hpp"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace orvendel::cli {

// The CLI's user-interface thread: the thread that runs the shell. Notifications arrive on the managers'
// background threads and are posted here; they run only while the shell pumps the loop, so the CLI's
// state is touched by one thread.
// Thread contract: `post` from any thread; `runPending` and `runUntil` on the shell's thread only.
class MainLoop final : public Executor {
public:
    using Clock = std::chrono::steady_clock;

    void post(Task task) override;

    // Runs what is queued now (and what those tasks queue), without waiting.
    void runPending();

    // Runs tasks until `done` holds, checking after every task and first after running what is queued;
    // false when `timeout` passed first.
    bool runUntil(const std::function<bool()>& done, Clock::duration timeout);

private:
    bool runOne(std::unique_lock<std::mutex>& lock);

    std::mutex m_mutex;
    std::condition_variable m_condition;
    std::deque<Task> m_tasks;
};

} // namespace orvendel::cli
