#pragma once

#include <cstddef>
#include <string_view>

namespace orvendel::delay_service {

// Limits every request is held to before a worker sees it.
struct RequestLimits {
    std::size_t headBytes = 16 * 1024; // request line and header lines
    int headerLines = 64;
    std::size_t bodyBytes = 4 * 1024 * 1024;
};

// Where the first request in a connection's unread bytes ends, found without a worker: the connection
// waits outside the worker pool until a whole request is there, so a slow sender holds no thread.
struct FramedRequest {
    enum class State { incomplete, complete, refused };
    State state = State::incomplete;
    std::size_t length = 0;      // complete: the request's bytes, head and body
    int status = 0;              // refused: 400, 413 or 431
    bool awaitsContinue = false; // incomplete: the head is in and asks for "100 Continue" before its body
};

// Frames the request at the start of `bytes` (HTTP/1.1: a Content-Length or a chunked body, or none).
// Requests that cannot be framed without doubt — both lengths, differing lengths, another transfer coding —
// are refused, so the framing here and the server's parsing can never disagree; so are chunked bodies with a
// trailer, which the server's parser does not take. The outcome does not depend on how the bytes arrive: a
// prefix refused is refused whole, a prefix complete is the same request whole. Thread contract: pure.
FramedRequest frameRequest(std::string_view bytes, const RequestLimits& limits);

} // namespace orvendel::delay_service
