#pragma once

#include "core/support/executor.hpp"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace orvendel::test {

// The user-interface thread of a test whose managers work on threads of their own: tasks run only when the
// test pumps them, and the pump waits for what those threads post.
class TestLoop final : public Executor {
public:
    void post(Task task) override
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
        m_changed.notify_all();
    }

    // Runs one task, waiting up to ten seconds for one; false when none came.
    bool runOne()
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return !m_tasks.empty(); })) {
            return false;
        }
        Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        lock.unlock();
        task();
        return true;
    }

    // Runs tasks until `done` holds (checked first, after every task, and every few milliseconds for what
    // other threads do); false after ten seconds without.
    bool runUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            std::unique_lock lock(m_mutex);
            if (!m_changed.wait_for(lock, std::chrono::milliseconds(5), [&] { return !m_tasks.empty(); })) {
                if (std::chrono::steady_clock::now() > deadline) {
                    return false;
                }
                continue;
            }
            Task task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
        }
        return true;
    }

    std::size_t pending()
    {
        std::lock_guard lock(m_mutex);
        return m_tasks.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Task> m_tasks;
};

} // namespace orvendel::test
