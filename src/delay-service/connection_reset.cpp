#include "connection_reset.hpp"

#include <sys/socket.h>
#include <unistd.h>

namespace orvendel::delay_service {

bool resetConnection(int socket)
{
    if (socket < 0) {
        return false;
    }
    // A zero linger time makes the close send RST; dup2 closes the connection and reuses the number at once.
    linger abort{1, 0};
    setsockopt(socket, SOL_SOCKET, SO_LINGER, &abort, sizeof(abort));
    const int placeholder = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (placeholder < 0) {
        shutdown(socket, SHUT_RDWR);
        return true;
    }
    dup2(placeholder, socket);
    close(placeholder);
    return true;
}

} // namespace orvendel::delay_service
