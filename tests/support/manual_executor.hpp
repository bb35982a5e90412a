#pragma once

#include "core/support/executor.hpp"

#include <cstddef>
#include <deque>
#include <mutex>

namespace orvendel::test {

// A user-interface executor that runs nothing until the test says so, so a test sees exactly what a flow
// left for the next turn of the front end's loop. Tasks may be posted from any thread; `runPending` runs on
// the test's thread.
class ManualExecutor final : public Executor {
public:
    void post(Task task) override
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }

    // Runs the tasks queued so far and those they post in turn, until none is left; returns how many ran.
    std::size_t runPending()
    {
        std::size_t ran = 0;
        for (;;) {
            Task task;
            {
                std::lock_guard lock(m_mutex);
                if (m_tasks.empty()) {
                    return ran;
                }
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
            ++ran;
        }
    }

    std::size_t pending() const
    {
        std::lock_guard lock(m_mutex);
        return m_tasks.size();
    }

private:
    mutable std::mutex m_mutex;
    std::deque<Task> m_tasks;
};

} // namespace orvendel::test
