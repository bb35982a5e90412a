#pragma once

#include "core/platform/reachability_source.hpp"

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

namespace orvendel {

// Linux reachability from rtnetlink: a default route (IPv4 or IPv6, main table) whose interface is up and
// running means reachable; a wireless interface is the Wi-Fi answer, an interface whose uevent says
// DEVTYPE=wwan is cellular. A wired interface gives the same flags as Wi-Fi: reachable, nothing more.
// Route, link and address events on a netlink socket trigger the change callback.
// Thread contract: any thread; the callback runs on the source's watcher thread.
class RtnetlinkReachabilitySource final : public ReachabilitySource {
public:
    explicit RtnetlinkReachabilitySource(std::filesystem::path sysClassNet = "/sys/class/net");
    ~RtnetlinkReachabilitySource() override;

    FlagsReading readFlags() override;
    int setCallback(ChangeCallback callback) override;

    // The flags one interface gives as the default route's: none when it is not up and running.
    static ReachabilityFlags interfaceFlags(const std::filesystem::path& sysClassNet, const std::string& name);

    struct Watcher;

private:
    std::filesystem::path m_sysClassNet;
    std::mutex m_mutex;
    std::shared_ptr<Watcher> m_watcher;
};

} // namespace orvendel
