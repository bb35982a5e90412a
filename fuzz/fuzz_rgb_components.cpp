#include "fuzz_support.hpp"

#include "core/model/utilities.hpp"

// Reason colours are free text from the service.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvendel;
    const auto components = Utilities::rgbComponents(fuzz::text(data, size));
    if (!components) {
        return 0;
    }
    fuzz::require(components->size() == 3, "not three components");
    for (const auto& [name, value] : *components) {
        fuzz::require(value >= 0 && value <= 255, "a component out of 0...255");
    }
    const auto color = Utilities::colorFromComponents(components);
    fuzz::require(color.has_value(), "three components without a colour");
    return 0;
}
