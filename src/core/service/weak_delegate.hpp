#pragma once

#include <memory>
#include <mutex>

namespace orvendel {

// A delegate held weakly, set from one thread and read from a request's callback strand.
template <typename T>
class WeakDelegate {
public:
    void set(std::weak_ptr<T> delegate)
    {
        std::lock_guard lock(m_mutex);
        m_delegate = std::move(delegate);
    }
    std::shared_ptr<T> lock() const
    {
        std::lock_guard lock(m_mutex);
        return m_delegate.lock();
    }

private:
    mutable std::mutex m_mutex;
    std::weak_ptr<T> m_delegate;
};

} // namespace orvendel
