#pragma once

// The "errorCode" values the service answers with, and their fixed texts.
namespace orvendel::delay_service {

namespace error_code {
inline constexpr int invalidCredentials = 1;
inline constexpr int malformedRequest = 2;
inline constexpr int sessionExpired = 3;
inline constexpr int unknownFurnace = 4;
inline constexpr int unknownHeat = 5;
inline constexpr int internalFailure = 9;
inline constexpr int staleDelay = 10;
inline constexpr int splitDoesNotFit = 11;
inline constexpr int unknownReason = 12;
inline constexpr int tooManySignInFailures = 13;
inline constexpr int invalidComment = 14;
} // namespace error_code

namespace error_text {
inline constexpr const char* invalidCredentials = "Invalid user name or password.";
inline constexpr const char* malformedRequest = "The request is not a valid %s message.";
inline constexpr const char* sessionExpired = "Session expired.";
inline constexpr const char* unknownFurnace = "Unknown furnace.";
inline constexpr const char* unknownHeat = "Heat %d does not belong to this furnace.";
inline constexpr const char* internalFailure = "The delay database could not complete the request.";
inline constexpr const char* staleDelay = "Delay %d was changed by someone else. Reload and try again.";
inline constexpr const char* splitDoesNotFit = "The split delays do not fit the original delay.";
inline constexpr const char* unknownReason = "Reason %d is not known for this furnace.";
inline constexpr const char* tooManySignInFailures = "Too many failed sign-in attempts. Try again in %d seconds.";
inline constexpr const char* invalidComment =
    "The comment of a delay must be text of at most 120 characters without control characters.";
} // namespace error_text

} // namespace orvendel::delay_service
