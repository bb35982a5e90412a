#include "core/platform/rtnetlink_reachability_source.hpp"

#include "core/platform/unique_descriptor.hpp"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

namespace orvendel {
namespace {

struct DefaultRoute {
    int interfaceIndex = 0;
    std::uint32_t priority = 0;
};

// Collects the unicast default routes of the main table from one RTM_NEWROUTE message.
void collectDefaultRoute(const nlmsghdr* header, std::vector<DefaultRoute>& routes)
{
    const auto* route = static_cast<const rtmsg*>(NLMSG_DATA(header));
    if (route->rtm_dst_len != 0 || route->rtm_type != RTN_UNICAST) {
        return;
    }
    std::uint32_t table = route->rtm_table;
    DefaultRoute found;
    int length = static_cast<int>(RTM_PAYLOAD(header));
    for (const rtattr* attribute = RTM_RTA(route); RTA_OK(attribute, length); attribute = RTA_NEXT(attribute, length)) {
        switch (attribute->rta_type) {
        case RTA_TABLE:
            std::memcpy(&table, RTA_DATA(attribute), sizeof(table));
            break;
        case RTA_OIF:
            std::memcpy(&found.interfaceIndex, RTA_DATA(attribute), sizeof(found.interfaceIndex));
            break;
        case RTA_PRIORITY:
            std::memcpy(&found.priority, RTA_DATA(attribute), sizeof(found.priority));
            break;
        case RTA_MULTIPATH:
            if (found.interfaceIndex == 0 && RTA_PAYLOAD(attribute) >= sizeof(rtnexthop)) {
                found.interfaceIndex = static_cast<const rtnexthop*>(RTA_DATA(attribute))->rtnh_ifindex;
            }
            break;
        default:
            break;
        }
    }
    if (table == RT_TABLE_MAIN && found.interfaceIndex > 0) {
        routes.push_back(found);
    }
}

// Dumps the routes of one address family; 0 or an errno-style code.
int dumpDefaultRoutes(int family, std::vector<DefaultRoute>& routes)
{
    UniqueDescriptor socket(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
    if (socket.get() < 0) {
        return errno;
    }
    struct {
        nlmsghdr header;
        rtmsg route;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.route.rtm_family = static_cast<unsigned char>(family);
    if (::send(socket.get(), &request, request.header.nlmsg_len, 0) < 0) {
        return errno;
    }
    std::vector<char> buffer(32768);
    for (;;) {
        ssize_t received = ::recv(socket.get(), buffer.data(), buffer.size(), 0);
        if (received < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        int length = static_cast<int>(received);
// NLMSG_OK compares the header's unsigned length with the int one; clang warns inside the kernel's macro,
// GCC does not.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wsign-compare"
#endif
        for (auto* header = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(header, length);
             header = NLMSG_NEXT(header, length)) {
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
            if (header->nlmsg_type == NLMSG_DONE) {
                return 0;
            }
            if (header->nlmsg_type == NLMSG_ERROR) {
                const auto* error = static_cast<const nlmsgerr*>(NLMSG_DATA(header));
                return error->error == 0 ? 0 : -error->error;
            }
            if (header->nlmsg_type == RTM_NEWROUTE) {
                collectDefaultRoute(header, routes);
            }
        }
    }
}

std::string readFirstLine(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

} // namespace

struct RtnetlinkReachabilitySource::Watcher {
    UniqueDescriptor socket;
    UniqueDescriptor wakeup;
    std::mutex mutex;
    ChangeCallback callback;
    std::thread thread;

    Watcher(int socketFd, int wakeupFd, ChangeCallback changeCallback)
        : socket(socketFd), wakeup(wakeupFd), callback(std::move(changeCallback))
    {}

    void run()
    {
        std::array<pollfd, 2> fds{pollfd{socket.get(), POLLIN, 0}, pollfd{wakeup.get(), POLLIN, 0}};
        std::vector<char> buffer(16384);
        for (;;) {
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (fds[1].revents != 0) {
                return;
            }
            // Drain what is queued; an overrun (ENOBUFS) means events were lost, which is still a change.
            while (::recv(socket.get(), buffer.data(), buffer.size(), MSG_DONTWAIT) > 0) {
            }
            ChangeCallback current;
            {
                std::lock_guard lock(mutex);
                current = callback;
            }
            if (current) {
                current();
            }
        }
    }

    void stop()
    {
        std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(wakeup.get(), &one, sizeof(one));
        if (thread.get_id() == std::this_thread::get_id()) {
            thread.detach(); // stopped from its own callback; it holds its own reference and ends by itself
        } else if (thread.joinable()) {
            thread.join();
        }
    }
};

RtnetlinkReachabilitySource::RtnetlinkReachabilitySource(std::filesystem::path sysClassNet)
    : m_sysClassNet(std::move(sysClassNet))
{}

RtnetlinkReachabilitySource::~RtnetlinkReachabilitySource()
{
    setCallback({});
}

ReachabilitySource::FlagsReading RtnetlinkReachabilitySource::readFlags()
{
    std::vector<DefaultRoute> routes;
    for (int family : {AF_INET, AF_INET6}) {
        if (int error = dumpDefaultRoutes(family, routes); error != 0 && family == AF_INET) {
            return FlagsReading{std::nullopt, error};
        }
    }
    std::ranges::stable_sort(routes, {}, &DefaultRoute::priority);
    for (const auto& route : routes) {
        std::array<char, IF_NAMESIZE> name{};
        if (::if_indextoname(static_cast<unsigned>(route.interfaceIndex), name.data()) == nullptr) {
            continue;
        }
        if (auto flags = interfaceFlags(m_sysClassNet, name.data()); flags != 0) {
            return FlagsReading{flags, 0};
        }
    }
    return FlagsReading{ReachabilityFlags{0}, 0};
}

ReachabilityFlags RtnetlinkReachabilitySource::interfaceFlags(const std::filesystem::path& sysClassNet,
                                                              const std::string& name)
{
    const auto folder = sysClassNet / name;
    unsigned long linkFlags = 0;
    try {
        linkFlags = std::stoul(readFirstLine(folder / "flags"), nullptr, 16);
    } catch (const std::exception&) {
        return 0;
    }
    // Some drivers (tunnels, loopback, sandboxes) report the operational state as unknown, or leave IFF_RUNNING
    // unset while saying "up"; either sign of a working link counts.
    const std::string operstate = readFirstLine(folder / "operstate");
    const bool running =
        operstate == "up" || ((operstate == "unknown" || operstate.empty()) && (linkFlags & IFF_RUNNING) != 0);
    if ((linkFlags & IFF_UP) == 0 || !running) {
        return 0;
    }
    std::ifstream uevent(folder / "uevent");
    for (std::string line; std::getline(uevent, line);) {
        if (line == "DEVTYPE=wwan") {
            return reachability_flags::reachable | reachability_flags::isWWAN;
        }
    }
    return reachability_flags::reachable;
}

int RtnetlinkReachabilitySource::setCallback(ChangeCallback callback)
{
    std::shared_ptr<Watcher> stopping;
    {
        std::lock_guard lock(m_mutex);
        if (!callback) {
            stopping = std::move(m_watcher);
        } else if (m_watcher) {
            std::lock_guard watcherLock(m_watcher->mutex);
            m_watcher->callback = std::move(callback);
            return 0;
        } else {
            int socketFd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
            if (socketFd < 0) {
                return errno;
            }
            sockaddr_nl address{};
            address.nl_family = AF_NETLINK;
            address.nl_groups =
                RTMGRP_LINK | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR;
            if (::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) < 0) {
                int error = errno;
                ::close(socketFd);
                return error;
            }
            int wakeupFd = ::eventfd(0, EFD_CLOEXEC);
            if (wakeupFd < 0) {
                int error = errno;
                ::close(socketFd);
                return error;
            }
            m_watcher = std::make_shared<Watcher>(socketFd, wakeupFd, std::move(callback));
            m_watcher->thread = std::thread([watcher = m_watcher] { watcher->run(); });
            return 0;
        }
    }
    if (stopping) {
        stopping->stop();
    }
    return 0;
}

} // namespace orvendel
