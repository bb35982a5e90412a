#include "core/support/notification_center.hpp"

#include <algorithm>
#include <condition_variable>
#include <thread>

namespace orvendel {

struct ObserverToken::Entry {
    std::weak_ptr<NotificationCenter::Registry> registry;
    const void* type = nullptr;
    const void* sender = nullptr;
    NotificationCenter::ErasedObserver observer;

    std::mutex mutex;
    std::condition_variable idle;
    bool alive = true;
    std::vector<std::thread::id> callingThreads;

    // Marks the call as running; false when the observer was removed meanwhile.
    bool enter()
    {
        std::lock_guard lock(mutex);
        if (!alive) {
            return false;
        }
        callingThreads.push_back(std::this_thread::get_id());
        return true;
    }

    void leave()
    {
        std::lock_guard lock(mutex);
        auto it = std::find(callingThreads.begin(), callingThreads.end(), std::this_thread::get_id());
        if (it != callingThreads.end()) {
            callingThreads.erase(it);
        }
        idle.notify_all();
    }

    // Stops further calls and waits for running calls on other threads. Calls on this thread (an observer
    // removing itself) are left to finish when the stack unwinds.
    void kill()
    {
        std::unique_lock lock(mutex);
        alive = false;
        const auto self = std::this_thread::get_id();
        idle.wait(lock, [&] {
            return std::all_of(callingThreads.begin(), callingThreads.end(), [&](auto id) { return id == self; });
        });
    }
};

ObserverToken& ObserverToken::operator=(ObserverToken&& other) noexcept
{
    if (this != &other) {
        reset();
        m_entry = std::move(other.m_entry);
    }
    return *this;
}

ObserverToken::~ObserverToken()
{
    reset();
}

void ObserverToken::reset()
{
    if (!m_entry) {
        return;
    }
    auto entry = std::move(m_entry);
    if (auto registry = entry->registry.lock()) {
        std::lock_guard lock(registry->mutex);
        std::erase(registry->entries, entry);
    }
    entry->kill();
}

NotificationCenter::~NotificationCenter()
{
    // Observers still registered are not called again; their tokens find the registry gone.
    std::lock_guard lock(m_registry->mutex);
    m_registry->entries.clear();
}

ObserverToken NotificationCenter::addObserver(const void* type, const void* sender, ErasedObserver observer)
{
    auto entry = std::make_shared<ObserverToken::Entry>();
    entry->registry = m_registry;
    entry->type = type;
    entry->sender = sender;
    entry->observer = std::move(observer);
    std::lock_guard lock(m_registry->mutex);
    m_registry->entries.push_back(entry);
    return ObserverToken(std::move(entry));
}

void NotificationCenter::deliver(const void* type, const void* sender, const void* payload)
{
    std::vector<std::shared_ptr<ObserverToken::Entry>> matching;
    {
        std::lock_guard lock(m_registry->mutex);
        for (const auto& entry : m_registry->entries) {
            if (entry->type == type && (entry->sender == nullptr || entry->sender == sender)) {
                matching.push_back(entry);
            }
        }
    }
    if (matching.empty()) {
        return;
    }
    for (const auto& entry : matching) {
        if (!entry->enter()) {
            continue;
        }
        try {
            entry->observer(payload, sender);
        } catch (...) {
            entry->leave();
            throw;
        }
        entry->leave();
    }
}

std::size_t NotificationCenter::observerCount() const
{
    std::lock_guard lock(m_registry->mutex);
    return m_registry->entries.size();
}

} // namespace orvendel
