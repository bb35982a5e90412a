#pragma once

#include <string>
#include <string_view>

namespace orvendel::test {

// `piece` written `times` times over: long texts built from characters of known size.
inline std::string repeat(std::string_view piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

} // namespace orvendel::test
