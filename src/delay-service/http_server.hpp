#pragma once

#include <httplib.h>

#include <sys/socket.h>

namespace orvendel::service {

// cpp-httplib's server with a listen backlog fit for bursts of clients: the library listens with a backlog of
// five, and a burst beyond that waits for SYN retransmissions or fails. Thread contract: as httplib::Server.
class ServiceHttpServer : public httplib::Server {
public:
    // Call after binding. Listening again on a listening socket only changes its backlog.
    bool widenBacklog(int backlog) { return ::listen(svr_sock_, backlog) == 0; }
};

} // namespace orvendel::service
