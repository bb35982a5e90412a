#pragma once

#include <string>
#include <string_view>

namespace orvendel::screens {

// The sign-in screen's input rules. Thread contract: pure functions, any thread.
namespace LoginValidation {

// The Login button is enabled exactly when the user name is not empty or blank and the password has at
// least one character (a password of spaces counts).
bool isLoginButtonEnabled(std::string_view username, std::string_view password);

struct Credentials {
    std::string username;
    std::string password;
};

// What is sent to the service: both texts without leading and trailing white space and line breaks.
// The user name field shows the trimmed name afterwards; the password field keeps what was typed.
Credentials trimmedCredentials(std::string_view username, std::string_view password);

} // namespace LoginValidation

} // namespace orvendel::screens
