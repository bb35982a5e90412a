#pragma once

#include "connection_gate.hpp"

#include <httplib.h>

#include <memory>
#include <sys/socket.h>

namespace orvendel::delay_service {

// cpp-httplib's server with its connections kept by a ConnectionGate: the library accepts and parses, the
// gate decides when a connection deserves a worker. Also widens the listen backlog: the library listens
// with a backlog of five, and a burst beyond that waits for SYN retransmissions or fails.
// Thread contract: as httplib::Server; `stopConnections` after the listening loop has returned.
class ServiceHttpServer : public httplib::Server {
public:
    explicit ServiceHttpServer(ConnectionGate::Limits limits);
    ~ServiceHttpServer() override;

    // Call after binding. Listening again on a listening socket only changes its backlog.
    bool widenBacklog(int backlog) { return ::listen(svr_sock_, backlog) == 0; }

    // Answers the requests being served and closes every connection.
    void stopConnections();

    // The socket of the request this worker thread is answering, or -1 outside of one; for handlers that
    // act on the connection itself (fault injection).
    static int servingSocket();

private:
    void warmUp();
    bool process_and_close_socket(socket_t sock) override;
    bool serve(Connection& connection, bool stopping);

    ConnectionGate m_gate;
};

} // namespace orvendel::delay_service
