#include "core/platform/process_memory.hpp"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace orvendel::ProcessMemory {

void returnFreed()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace orvendel::ProcessMemory
