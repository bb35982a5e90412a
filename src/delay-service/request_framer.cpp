#include "request_framer.hpp"

#include <charconv>
#include <optional>

namespace orvendel::delay_service {
namespace {

using State = FramedRequest::State;

constexpr std::string_view lineEnd = "\r\n";
constexpr std::size_t chunkSizeLineBytes = 1024;

FramedRequest refused(int status)
{
    return FramedRequest{State::refused, 0, status, false};
}

FramedRequest incomplete(bool awaitsContinue = false)
{
    return FramedRequest{State::incomplete, 0, 0, awaitsContinue};
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

struct Head {
    std::optional<std::size_t> contentLength;
    bool chunked = false;
    bool expectsContinue = false;
};

// The header lines between the request line and the empty line; the status to refuse with, or 0.
int readHeaders(std::string_view lines, Head& head)
{
    bool sawTransferEncoding = false;
    while (!lines.empty()) {
        const auto end = lines.find(lineEnd);
        const std::string_view line = lines.substr(0, end);
        lines.remove_prefix(end == std::string_view::npos ? lines.size() : end + lineEnd.size());
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) {
            return 400;
        }
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (equalsIgnoringCase(name, "Content-Length")) {
            std::size_t length = 0;
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), length);
            if (value.empty() || ec != std::errc{} || ptr != value.data() + value.size() ||
                (head.contentLength && *head.contentLength != length)) {
                return 400;
            }
            head.contentLength = length;
        } else if (equalsIgnoringCase(name, "Transfer-Encoding")) {
            if (sawTransferEncoding || !equalsIgnoringCase(value, "chunked")) {
                return 400;
            }
            sawTransferEncoding = true;
            head.chunked = true;
        } else if (equalsIgnoringCase(name, "Expect") && equalsIgnoringCase(value, "100-continue")) {
            head.expectsContinue = true;
        }
    }
    return head.chunked && head.contentLength ? 400 : 0;
}

// The end of a chunked body that starts at `at`, or the state that stops it.
FramedRequest frameChunkedBody(std::string_view bytes, std::size_t at, const RequestLimits& limits)
{
    std::size_t bodyBytes = 0;
    while (true) {
        const auto end = bytes.find(lineEnd, at);
        // A size line is held to its bound whether its line end is in yet or not (of a line end still to
        // come, the "\r" may be in).
        if (end == std::string_view::npos) {
            return bytes.size() - at > chunkSizeLineBytes + 1 ? refused(400) : incomplete();
        }
        if (end - at > chunkSizeLineBytes) {
            return refused(400);
        }
        std::string_view sizeText = bytes.substr(at, end - at);
        sizeText = trimmed(sizeText.substr(0, sizeText.find(';')));
        std::size_t size = 0;
        const auto [ptr, ec] = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size, 16);
        if (sizeText.empty() || ptr != sizeText.data() + sizeText.size()) {
            return refused(400);
        }
        if (ec != std::errc{} || size > limits.bodyBytes - bodyBytes) {
            return refused(413);
        }
        at = end + lineEnd.size();
        if (size == 0) {
            break;
        }
        bodyBytes += size;
        if (bytes.size() < at + size + lineEnd.size()) {
            return incomplete();
        }
        if (bytes.substr(at + size, lineEnd.size()) != lineEnd) {
            return refused(400);
        }
        at += size + lineEnd.size();
    }
    // The HTTP library reads no trailer: a body with one is refused here, before it takes a worker. What is
    // in after the last chunk may still be the start of the empty line that ends the body.
    const std::string_view rest = bytes.substr(at);
    if (rest.starts_with(lineEnd)) {
        return FramedRequest{State::complete, at + lineEnd.size(), 0, false};
    }
    return lineEnd.starts_with(rest) ? incomplete() : refused(400);
}

} // namespace

FramedRequest frameRequest(std::string_view bytes, const RequestLimits& limits)
{
    // Blank lines before a request line are tolerated, as HTTP asks of servers.
    std::size_t start = 0;
    while (bytes.substr(start, lineEnd.size()) == lineEnd) {
        start += lineEnd.size();
    }
    const auto headEnd = bytes.find("\r\n\r\n", start);
    if (headEnd == std::string_view::npos) {
        const std::string_view partial = bytes.substr(start);
        if (partial.size() > limits.headBytes) {
            return refused(431);
        }
        // Count the lines that are in, so a flood of headers is refused before the head is done.
        std::size_t lines = 0;
        for (auto at = partial.find(lineEnd); at != std::string_view::npos; at = partial.find(lineEnd, at + 2)) {
            ++lines;
        }
        return lines > static_cast<std::size_t>(limits.headerLines) + 1 ? refused(431) : incomplete();
    }
    const std::size_t headBytes = headEnd + 4 - start;
    if (headBytes > limits.headBytes) {
        return refused(431);
    }
    const std::string_view head = bytes.substr(start, headEnd + 2 - start);
    const auto requestLineEnd = head.find(lineEnd);
    const std::string_view headerText = head.substr(requestLineEnd + lineEnd.size());
    int headerLines = 0;
    for (auto at = headerText.find(lineEnd); at != std::string_view::npos; at = headerText.find(lineEnd, at + 2)) {
        ++headerLines;
    }
    if (headerLines > limits.headerLines) {
        return refused(431);
    }
    Head parsed;
    if (!headerText.empty()) {
        if (const int status = readHeaders(headerText.substr(0, headerText.size() - lineEnd.size()), parsed)) {
            return refused(status);
        }
    }
    const std::size_t bodyStart = headEnd + 4;
    if (parsed.chunked) {
        auto framed = frameChunkedBody(bytes, bodyStart, limits);
        if (framed.state == State::incomplete) {
            framed.awaitsContinue = parsed.expectsContinue;
        }
        return framed;
    }
    const std::size_t bodyLength = parsed.contentLength.value_or(0);
    if (bodyLength > limits.bodyBytes) {
        return refused(413);
    }
    if (bytes.size() - bodyStart < bodyLength) {
        return incomplete(parsed.expectsContinue);
    }
    return FramedRequest{State::complete, bodyStart + bodyLength, 0, false};
}

} // namespace orvendel::delay_service
