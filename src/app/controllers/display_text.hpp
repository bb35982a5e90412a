#pragma once

#include "core/screens/unicode_text.hpp"

#include <QString>

#include <string_view>

namespace orvendel::app {

// A text from the service as the views show it: without the controls that would draw it out of order.
// Thread contract: pure, any thread.
inline QString displayText(std::string_view text)
{
    return QString::fromStdString(screens::withoutBidiControls(text));
}

} // namespace orvendel::app
