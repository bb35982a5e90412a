#pragma once

namespace httplib {
struct Request;
}

namespace orvendel::service {

// Drops the request's TCP connection with a reset instead of an answer (fault injection). The server's own
// descriptor stays valid, pointing at an unconnected socket, so the server fails its write and closes that.
// False when the connection was not found. Thread contract: the worker thread serving the request.
bool resetConnection(const httplib::Request& request);

} // namespace orvendel::service
