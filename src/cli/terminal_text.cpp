#include "cli/terminal_text.hpp"

#include "core/screens/unicode_text.hpp"
#include "core/support/utf8.hpp"

#include <fmt/format.h>

namespace orvendel::cli {
namespace {

bool isUnsafe(char32_t c)
{
    // The reordering controls are the ones the app leaves out of its texts.
    return utf8::isControl(c) || screens::isBidiControl(c);
}

} // namespace

std::string terminalSafe(std::string_view line)
{
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size();) {
        char32_t c = 0;
        const std::size_t length = utf8::sequenceAt(line, i, c);
        if (length == 0) {
            out += fmt::format("\\x{:02X}", static_cast<unsigned char>(line[i]));
            ++i;
            continue;
        }
        if (isUnsafe(c)) {
            out += c < 0x100 ? fmt::format("\\x{:02X}", static_cast<unsigned>(c))
                             : fmt::format("\\u{:04X}", static_cast<unsigned>(c));
        } else {
            out.append(line.substr(i, length));
        }
        i += length;
    }
    return out;
}

} // namespace orvendel::cli
