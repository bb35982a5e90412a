#pragma once

// Heats and delays for the screens' geometry and the charts drawn from it.
#include "core/model/heat.hpp"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvendel::test {

// Instants as seconds after a fixed heat start (2024-03-07 08:00:00 UTC).
inline Instant at(double seconds)
{
    using namespace std::chrono;
    const Instant base = sys_days{year{2024} / March / 7} + hours{8};
    return base + duration_cast<Instant::duration>(duration<double>(seconds));
}

inline DelayPtr delay(int heatId, double from, double to, int reasonId = 5, std::string color = "rgb(200, 0, 0)",
                      TimeZone zone = TimeZone::utc())
{
    auto d = std::make_shared<Delay>();
    d->heatId = heatId;
    d->delayId = static_cast<int>(from) + 1000;
    d->reasonId = reasonId;
    d->reasonDescription = "Reason " + std::to_string(reasonId);
    d->reasonShortDescription = "R" + std::to_string(reasonId);
    d->startDate = ZonedDateTime{at(from), zone};
    d->endDate = ZonedDateTime{at(to), zone};
    d->colorString = std::move(color);
    d->timestamp = "t1";
    return d;
}

inline HeatPtr heat(int heatId, double from, double to, std::optional<std::vector<DelayPtr>> delays, int furnaceId = 1)
{
    auto h = std::make_shared<Heat>();
    h->furnaceId = furnaceId;
    h->heatId = heatId;
    h->heatNumber = heatId + 100;
    h->startDate = ZonedDateTime{at(from), TimeZone::utc()};
    h->endDate = ZonedDateTime{at(to), TimeZone::utc()};
    h->delays = std::move(delays);
    return h;
}

} // namespace orvendel::test
