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
Decoded<T> decode(std::string_view bytes)
{
    Decoded<T> result;
    try {
        detail::Json root = detail::Json::parse(bytes.begin(), bytes.end());
        detail::Reader reader;
        if (!reader.expectObject(root, nullptr)) {
            result.error = reader.error();
            return result;
        }
        T value;
        if (detail::readMessage(reader, root, value)) {
            result.value = std::move(value);
        } else {
            result.error = reader.error();
        }
    } catch (const detail::Json::exception& failure) {
        result.error = DecodeError{withoutInput(failure.what()), failure.id};
    } catch (const std::bad_alloc&) {
        result.error = DecodeError{"out of memory while decoding", 0};
    } catch (const std::exception& failure) {
        result.error = DecodeError{failure.what(), 0};
    }
    return result;
}

template Decoded<LoginRequestBody> decode<LoginRequestBody>(std::string_view);
template Decoded<FurnacesRequestBody> decode<FurnacesRequestBody>(std::string_view);
template Decoded<ReasonsRequestBody> decode<ReasonsRequestBody>(std::string_view);
template Decoded<DelaysRequestBody> decode<DelaysRequestBody>(std::string_view);
template Decoded<SaveDelaysRequestBody> decode<SaveDelaysRequestBody>(std::string_view);
template Decoded<UpdatedDelaysRequestBody> decode<UpdatedDelaysRequestBody>(std::string_view);
template Decoded<LoginRequestResult> decode<LoginRequestResult>(std::string_view);
template Decoded<FurnacesDownloaderResult> decode<FurnacesDownloaderResult>(std::string_view);
template Decoded<ReasonsDownloaderResult> decode<ReasonsDownloaderResult>(std::string_view);
template Decoded<DelaysDownloaderResult> decode<DelaysDownloaderResult>(std::string_view);
template Decoded<UpdatedDelaysDownloaderResult> decode<UpdatedDelaysDownloaderResult>(std::string_view);
template Decoded<SaveDelaysResult> decode<SaveDelaysResult>(std::string_view);

} // namespace orvendel::wire
