#pragma once

namespace orvendel::ProcessMemory {

// Hands the heap pages that were freed back to the system (the C library keeps them for later use otherwise):
// after a day's download and read, several megabytes that a tablet's other apps can use. Does nothing where
// the C library offers no way to do it.
// Thread contract: any thread; it takes the allocator's locks in turn, so call it off the GUI thread.
void returnFreed();

} // namespace orvendel::ProcessMemory
