#include "cli/main_loop.hpp"

namespace orvendel::cli {

void MainLoop::post(Task task)
{
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_condition.notify_one();
}

bool MainLoop::runOne(std::unique_lock<std::mutex>& lock)
{
    if (m_tasks.empty()) {
        return false;
    }
    Task task = std::move(m_tasks.front());
    m_tasks.pop_front();
    lock.unlock();
    task();
    lock.lock();
    return true;
}

void MainLoop::runPending()
{
    std::unique_lock lock(m_mutex);
    while (runOne(lock)) {
    }
}

bool MainLoop::runUntil(const std::function<bool()>& done, Clock::duration timeout)
{
    const auto deadline = Clock::now() + timeout;
    runPending();
    std::unique_lock lock(m_mutex);
    while (true) {
        lock.unlock();
        const bool finished = done();
        lock.lock();
        if (finished) {
            return true;
        }
        if (!m_condition.wait_until(lock, deadline, [this] { return !m_tasks.empty(); })) {
            return false;
        }
        runOne(lock);
    }
}

} // namespace orvendel::cli
