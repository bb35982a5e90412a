#pragma once

#include "core/support/log.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// Shared by the libFuzzer targets: the input as text, a quiet log, and invariants that stop the run.
namespace orvendel::fuzz {

inline std::string_view text(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// Rejected inputs log a line each; millions of them on standard error would only slow the run.
inline void silenceLog()
{
    setLogSink([](std::string_view) {});
}

// A broken invariant is a finding: abort, so that libFuzzer keeps the input as a crash.
inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace orvendel::fuzz
