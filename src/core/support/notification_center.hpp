#pragma once

#include <concepts>
#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

namespace orvendel {

// A notification is a plain struct holding what it carries, with its name as a static member:
//     struct DelaysDownloaded { static constexpr const char* name = "FinishedDownloadingDelays"; ... };
// It is posted and observed by its type, so an observer reads fields: a missing one does not compile.
template <typename T>
concept NotificationPayload = std::is_class_v<T> && requires
{
    {
        T::name
        } -> std::convertible_to<const char*>;
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
    NotificationCenter() = default;
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // Observes `Payload`; with a sender, only posts from that sender. The observer takes the payload, or the
    // payload and the sender.
    template <NotificationPayload Payload, typename Observer>
    [[nodiscard]] ObserverToken observe(const void* sender, Observer observer)
    {
        constexpr bool withSender = std::is_invocable_v<const Observer&, const Payload&, const void*>;
        static_assert(withSender || std::is_invocable_v<const Observer&, const Payload&>,
                      "an observer takes the notification's payload (and optionally its sender)");
        return addObserver(key<Payload>(), sender,
                           [observer = std::move(observer)](const void* payload, const void* postedBy) {
                               const auto& typed = *static_cast<const Payload*>(payload);
                               if constexpr (withSender) {
                                   observer(typed, postedBy);
                               } else {
                                   observer(typed);
                               }
                           });
    }
    template <NotificationPayload Payload, typename Observer>
    [[nodiscard]] ObserverToken observe(Observer observer)
    {
        return observe<Payload>(nullptr, std::move(observer));
    }

    template <NotificationPayload Payload>
    void post(const Payload& payload, const void* sender = nullptr)
    {
        deliver(key<Payload>(), sender, &payload);
    }

    std::size_t observerCount() const;

private:
    friend class ObserverToken;
    using ErasedObserver = std::function<void(const void* payload, const void* sender)>;

    // One address per payload type (an inline variable has one definition in the program): observers and
    // posts meet by type, so a payload is only ever read as the type it was posted as.
    template <typename Payload>
    static inline const char keyOf = 0;
    template <typename Payload>
    static const void* key()
    {
        return &keyOf<Payload>;
    }

    ObserverToken addObserver(const void* type, const void* sender, ErasedObserver observer);
    void deliver(const void* type, const void* sender, const void* payload);

    // Tokens reach the list through a weak reference, so a token may outlive its centre (singletons are
    // torn down in no fixed order at exit).
    struct Registry {
        std::mutex mutex;
        std::vector<std::shared_ptr<ObserverToken::Entry>> entries;
    };
    std::shared_ptr<Registry> m_registry = std::make_shared<Registry>();
};

} // namespace orvendel
