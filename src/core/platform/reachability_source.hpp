#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace orvendel {

// The platform's answer to "is there a usable route to the internet, and over what", as a flags word.
using ReachabilityFlags = std::uint32_t;

namespace reachability_flags {
inline constexpr ReachabilityFlags reachable = 1u << 1;
inline constexpr ReachabilityFlags connectionRequired = 1u << 2;
inline constexpr ReachabilityFlags connectionOnTraffic = 1u << 3;
inline constexpr ReachabilityFlags interventionRequired = 1u << 4;
inline constexpr ReachabilityFlags connectionOnDemand = 1u << 5;
inline constexpr ReachabilityFlags isWWAN = 1u << 18;
} // namespace reachability_flags

// Where the flags of the general route come from. Thread contract: any thread; the change callback runs on a
// thread of the source's own and must not block.
class ReachabilitySource {
public:
    using ChangeCallback = std::function<void()>;

    struct FlagsReading {
        std::optional<ReachabilityFlags> flags; // absent when they could not be read
        int errorCode = 0;                      // errno-style reason when absent
    };

    virtual ~ReachabilitySource() = default;

    virtual FlagsReading readFlags() = 0;

    // Starts calling `callback` whenever the routes or links may have changed (not only on real changes);
    // an empty callback stops. Gives 0, or an errno-style code when watching cannot start.
    virtual int setCallback(ChangeCallback callback) = 0;
};

} // namespace orvendel
