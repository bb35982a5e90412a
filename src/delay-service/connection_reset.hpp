#pragma once

namespace orvendel::delay_service {

// Drops a connection with a reset instead of an answer (fault injection). The descriptor stays valid,
// pointing at an unconnected socket, so the server fails its write and closes that. False for no socket.
// Thread contract: the worker thread serving a request on the socket.
bool resetConnection(int socket);

} // namespace orvendel::delay_service
