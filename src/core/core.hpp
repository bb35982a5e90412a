#pragma once

#include <string>

namespace orvendel {

// One line per library the core is built on, with the version it was compiled or linked against.
std::string coreSelfCheckReport();

// Releases the process's shared managers in dependency order (the screens' users first, the transport
// last), letting each finish its queued work. Programs call it before they return, so that nothing depends
// on the order in which static objects are destroyed at exit.
void releaseSharedInstances();

} // namespace orvendel
