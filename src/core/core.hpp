#pragma once

#include <string>

namespace orvendel {

// One line per library the core is built on, with the version it was compiled or linked against.
std::string coreSelfCheckReport();

} // namespace orvendel
