#include "core/service/wire/codec.hpp"

#include <new>

namespace orvendel::wire {
namespace {

// The parser's message without the text it last read: that text is part of the message (a password,
// a session token) and must not reach a log line.
std::string withoutInput(std::string text)
{
    const auto at = text.find("; last read:");
    if (at != std::string::npos) {
        text.erase(at);
    }
    return text;
}

} // namespace

template <typename T>
Result<T> decode(std::string_view bytes)
{
    try {
        detail::Json root = detail::Json::parse(bytes.begin(), bytes.end());
        detail::Reader reader;
        if (!reader.expectObject(root, nullptr)) {
            return reader.error();
        }
        T value;
        if (!detail::readMessage(reader, root, value)) {
            return reader.error();
        }
        return value;
    } catch (const detail::Json::exception& failure) {
        return Error{decodeErrorDomain, failure.id, withoutInput(failure.what())};
    } catch (const std::bad_alloc&) {
        return Error{decodeErrorDomain, decode_error::failure, "out of memory while decoding"};
    } catch (const std::exception& failure) {
        return Error{decodeErrorDomain, decode_error::failure, failure.what()};
    }
}

template Result<LoginRequestBody> decode<LoginRequestBody>(std::string_view);
template Result<FurnacesRequestBody> decode<FurnacesRequestBody>(std::string_view);
template Result<ReasonsRequestBody> decode<ReasonsRequestBody>(std::string_view);
template Result<DelaysRequestBody> decode<DelaysRequestBody>(std::string_view);
template Result<SaveDelaysRequestBody> decode<SaveDelaysRequestBody>(std::string_view);
template Result<UpdatedDelaysRequestBody> decode<UpdatedDelaysRequestBody>(std::string_view);
template Result<LoginRequestResult> decode<LoginRequestResult>(std::string_view);
template Result<FurnacesDownloaderResult> decode<FurnacesDownloaderResult>(std::string_view);
template Result<ReasonsDownloaderResult> decode<ReasonsDownloaderResult>(std::string_view);
template Result<DelaysDownloaderResult> decode<DelaysDownloaderResult>(std::string_view);
template Result<UpdatedDelaysDownloaderResult> decode<UpdatedDelaysDownloaderResult>(std::string_view);
template Result<SaveDelaysResult> decode<SaveDelaysResult>(std::string_view);

} // namespace orvendel::wire
