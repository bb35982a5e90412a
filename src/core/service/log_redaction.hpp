#pragma once

#include <string>
#include <string_view>

namespace orvendel {

// The JSON text with the value of every `key` member replaced by "<redacted>", so that a reply carrying a
// session token can be written to the console. Text that is not JSON is scanned for the key all the same;
// JSON nested too deeply to walk safely is hidden whole.
std::string redactJsonMember(std::string_view json, std::string_view key);

} // namespace orvendel
