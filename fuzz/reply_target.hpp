#pragma once

#include "fuzz_support.hpp"

#include "core/service/wire/messages.hpp"

// The body of every reply-decoder target. Beyond "never crash": whatever the app accepts, the reference
// service's encoder must be able to send back, and that text must decode to the same message.
namespace orvendel::fuzz {

template <typename Reply>
Result<Reply> decodeReply(const std::uint8_t* data, std::size_t size)
{
    auto decoded = wire::decode<Reply>(text(data, size));
    if (!decoded) {
        require(!decoded.error().description.empty(), "a refused reply without a reason");
        return decoded;
    }
    const auto encoded = wire::encode(*decoded);
    require(encoded.hasValue(), "a decoded reply does not encode");
    const auto again = wire::decode<Reply>(*encoded);
    require(again.hasValue(), "an encoded reply does not decode");
    const auto reencoded = wire::encode(*again);
    require(reencoded && *reencoded == *encoded, "a reply changes on its way through encode and decode");
    return decoded;
}

} // namespace orvendel::fuzz

#define ORVENDEL_REPLY_FUZZ_TARGET(Reply)                                                                              \
    extern "C" int LLVMFuzzerInitialize(int*, char***)                                                                 \
    {                                                                                                                  \
        orvendel::fuzz::silenceLog();                                                                                  \
        return 0;                                                                                                      \
    }                                                                                                                  \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)                                  \
    {                                                                                                                  \
        (void)orvendel::fuzz::decodeReply<orvendel::wire::Reply>(data, size);                                          \
        return 0;                                                                                                      \
    }
