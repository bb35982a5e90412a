#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <utility>

namespace orvendel {

// The one process-wide instance of a manager: made on first use, replaceable and resettable for tests.
// Holders keep what they were handed alive, so a reset never leaves a dangling reference; the previous
// instance is released outside the lock, because its destructor may wait for queued work that itself
// asks for the shared instance.
// Thread contract: any thread.
template <typename T>
class SharedInstance {
public:
    using Factory = std::function<std::shared_ptr<T>()>;

    explicit SharedInstance(Factory factory) : m_factory(std::move(factory)) {}

    std::shared_ptr<T> get()
    {
        std::lock_guard lock(m_mutex);
        if (!m_instance) {
            m_instance = m_factory();
        }
        return m_instance;
    }

    // Installs `instance` (none: the next `get` makes a fresh one).
    void set(std::shared_ptr<T> instance)
    {
        std::shared_ptr<T> previous;
        {
            std::lock_guard lock(m_mutex);
            previous = std::exchange(m_instance, std::move(instance));
        }
    }

    void reset() { set(nullptr); }

private:
    Factory m_factory;
    std::mutex m_mutex;
    std::shared_ptr<T> m_instance;
};

} // namespace orvendel
