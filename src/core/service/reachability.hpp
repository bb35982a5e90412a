#pragma once

#include "core/platform/reachability_source.hpp"
#include "core/support/error.hpp"
#include "core/support/executor.hpp"
#include "core/support/notification_center.hpp"
#include "core/support/serial_queue.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace orvendel {

// The monitor's view of the network changed (sender: the monitor); read it from the monitor.
struct ReachabilityChanged {
    static constexpr const char* name = "ReachabilityChangedNotification";
};

// Why a monitor could not be made or started ("ReachabilityError"); the code is the case, and the description
// names it with the platform's errno-style code (and the address for a creation failure). Linux never produces
// failedToCreateWithHostname (the monitor watches the default route, never a host) or unableToSetDispatchQueue
// (a netlink source needs no queue attached); they are kept so the cases are the full set a caller of any
// platform's monitor must handle.
namespace reachability_error {
inline constexpr const char* domain = "ReachabilityError";
inline constexpr int failedToCreateWithAddress = 1;
inline constexpr int failedToCreateWithHostname = 2;
inline constexpr int unableToSetCallback = 3;
inline constexpr int unableToSetDispatchQueue = 4;
inline constexpr int unableToGetFlags = 5;

Error make(int kind, int platformCode, const std::string& detail = {});
} // namespace reachability_error

// Where change reports are delivered.
using NotificationQueue = ExecutorPtr;

class Reachability;

// What the source's callback holds: a weak reference, so the platform never keeps the monitor alive.
struct ReachabilityWeakRef {
    std::weak_ptr<Reachability> reachability;
};

// Watches the general route to the internet and reports changes of its flags as
// "ReachabilityChangedNotification" (sender: the monitor) on the notification queue.
// Thread contract: any thread. Flag reads and source callbacks run on "com.velmora.reachability"; the
// when-closures and the notification run on the notification queue.
class Reachability : public std::enable_shared_from_this<Reachability> {
public:
    enum class Connection { none, unavailable, wifi, cellular };

    static constexpr bool reachableOnWWAN = true;
    static constexpr bool isRunningOnDevice = true;

    // The monitor for the zero address. Fails (failedToCreateWithAddress) without a source.
    static Result<std::shared_ptr<Reachability>> create(std::shared_ptr<ReachabilitySource> source,
                                                        NotificationQueue notificationQueue,
                                                        NotificationCenter& notificationCenter);
    ~Reachability();
    Reachability(const Reachability&) = delete;
    Reachability& operator=(const Reachability&) = delete;

    // Called on a change to a usable connection, or to none. Set them before starting the notifier.
    void setWhenReachable(std::function<void(Reachability&)> closure);
    void setWhenUnreachable(std::function<void(Reachability&)> closure);

    // Always true here: the application never turns cellular data off. `connectionFor` takes the flag so the
    // mapping for both values stays testable.
    bool allowsCellularConnection() const { return true; }

    bool notifierRunning() const { return m_notifierRunning; }

    // Starts watching and reads the flags once, which produces the first report. Does nothing when running.
    Result<void> startNotifier();
    void stopNotifier();

    // The last flags read; absent until the first read.
    std::optional<ReachabilityFlags> flags() const;

    // From the last flags, reading them first when none were read yet.
    Connection connection();

    // The mapping from flags to a connection.
    static Connection connectionFor(std::optional<ReachabilityFlags> flags, bool allowsCellularConnection);

private:
    Reachability(std::shared_ptr<ReachabilitySource> source, NotificationQueue notificationQueue,
                 NotificationCenter& notificationCenter);

    // On the reachability queue. False when the flags could not be read (the notifier is then stopped).
    bool readFlagsAndReport(int* errorCode = nullptr);
    void reportChange();

    std::shared_ptr<ReachabilitySource> m_source;
    NotificationQueue m_notificationQueue;
    NotificationCenter& m_notificationCenter;
    mutable std::mutex m_mutex;
    std::optional<ReachabilityFlags> m_flags;
    std::function<void(Reachability&)> m_whenReachable;
    std::function<void(Reachability&)> m_whenUnreachable;
    std::atomic<bool> m_notifierRunning = false;
    // Last, so that it is destroyed first: its remaining work runs while everything above still exists.
    SerialQueue m_reachabilitySerialQueue{"com.velmora.reachability"};
};

} // namespace orvendel
