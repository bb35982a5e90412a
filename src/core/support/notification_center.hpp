#pragma once

#include <any>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvendel {

using UserInfo = std::unordered_map<std::string, std::any>;

struct Notification {
    std::string name;
    const void* sender = nullptr;
    UserInfo userInfo;

    // The value under `key` when present and of type T; nullptr when missing or of another type.
    template <typename T>
    const T* value(const std::string& key) const
    {
        auto it = userInfo.find(key);
        return it == userInfo.end() ? nullptr : std::any_cast<T>(&it->second);
    }
    bool has(const std::string& key) const { return userInfo.contains(key); }
};

class NotificationCenter;

// Keeps an observer registered while it lives. Destroying or resetting it removes the observer; when a
// call to that observer is running on another thread, removal waits for it to return.
class ObserverToken {
public:
    ObserverToken() = default;
    ObserverToken(ObserverToken&& other) noexcept = default;
    ObserverToken& operator=(ObserverToken&& other) noexcept;
    ObserverToken(const ObserverToken&) = delete;
    ObserverToken& operator=(const ObserverToken&) = delete;
    ~ObserverToken();

    void reset();
    explicit operator bool() const { return static_cast<bool>(m_entry); }

private:
    friend class NotificationCenter;
    struct Entry;
    explicit ObserverToken(std::shared_ptr<Entry> entry) : m_entry(std::move(entry)) {}
    std::shared_ptr<Entry> m_entry;
};

// The process-wide notification centre. `post` calls the matching observers synchronously on the
// posting thread, in the order they were added. Thread contract: any thread; observers may add or
// remove observers (themselves included) and post from inside a call.
class NotificationCenter {
public:
    using Observer = std::function<void(const Notification&)>;

    NotificationCenter() = default;
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // Observes `name`; with a sender, only posts from that sender.
    [[nodiscard]] ObserverToken addObserver(std::string name, const void* sender, Observer observer);
    [[nodiscard]] ObserverToken addObserver(std::string name, Observer observer)
    {
        return addObserver(std::move(name), nullptr, std::move(observer));
    }

    void post(std::string_view name, const void* sender = nullptr, UserInfo userInfo = {});

    std::size_t observerCount() const;

private:
    friend class ObserverToken;
    // Tokens reach the list through a weak reference, so a token may outlive its centre (singletons are
    // torn down in no fixed order at exit).
    struct Registry {
        std::mutex mutex;
        std::vector<std::shared_ptr<ObserverToken::Entry>> entries;
    };
    std::shared_ptr<Registry> m_registry = std::make_shared<Registry>();
};

} // namespace orvendel
