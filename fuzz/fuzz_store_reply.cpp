#include "fuzz_support.hpp"

#include "core/service/update_check.hpp"

// The store-search reply comes from a third-party service: any body must give an answer, never a crash.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvendel;
    const auto [available, url] =
        update_check::newerVersionInReply(fuzz::text(data, size), "com.KESTA.orvendel", "1.0.0");
    fuzz::require(available == url.has_value(), "an update without a store address, or an address without update");
    return 0;
}
