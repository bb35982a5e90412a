#include "fuzz_support.hpp"

#include "core/model/zoned_date_time.hpp"

#include <cstdlib>

// Dates arrive as text in every reply. A parsed date written back must parse to the same instant and zone,
// since saves send the app's own text of the dates it received.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvendel;
    const auto parsed = ZonedDateTime::fromText(fuzz::text(data, size));
    if (!parsed) {
        return 0;
    }
    fuzz::require(std::abs(parsed->timeZone.offsetSeconds) <= TimeZone::maximumOffsetSeconds, "offset out of range");
    const std::string written = parsed->text();
    const auto again = ZonedDateTime::fromText(written);
    fuzz::require(again.has_value(), "a date's own text does not parse");
    fuzz::require(again->date == parsed->date && again->timeZone == parsed->timeZone,
                  "a date changes through its text");
    return 0;
}
