#include "connection_reset.hpp"

#include <httplib.h>

#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace orvendel::service {
namespace {

int portOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    }
    return -1;
}

// The descriptor of the connected socket with these local and peer ports.
int findConnection(int localPort, int peerPort)
{
    DIR* fds = opendir("/proc/self/fd");
    if (fds == nullptr) {
        return -1;
    }
    int found = -1;
    while (dirent* entry = readdir(fds)) {
        const int fd = std::atoi(entry->d_name);
        struct stat info {};
        if (fd <= 2 || fd == dirfd(fds) || fstat(fd, &info) != 0 || !S_ISSOCK(info.st_mode)) {
            continue;
        }
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localSize = sizeof(local);
        socklen_t peerSize = sizeof(peer);
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) == 0 &&
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0 && portOf(local) == localPort &&
            portOf(peer) == peerPort) {
            found = fd;
            break;
        }
    }
    closedir(fds);
    return found;
}

} // namespace

bool resetConnection(const httplib::Request& request)
{
    const int fd = findConnection(request.local_port, request.remote_port);
    if (fd < 0) {
        return false;
    }
    // A zero linger time makes the close send RST; dup2 closes the connection and reuses the number at once.
    linger abort{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof(abort));
    const int placeholder = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (placeholder < 0) {
        shutdown(fd, SHUT_RDWR);
        return true;
    }
    dup2(placeholder, fd);
    close(placeholder);
    return true;
}

} // namespace orvendel::service
