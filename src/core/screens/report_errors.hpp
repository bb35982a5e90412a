#pragma once

namespace orvendel::report_error {

// The shift report's own refusals (a shift setting it cannot use).
inline constexpr const char* domain = "ReportError";
inline constexpr int invalidShiftSchedule = 1;

} // namespace orvendel::report_error
