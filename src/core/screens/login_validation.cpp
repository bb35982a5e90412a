#include "core/screens/login_validation.hpp"

#include "core/support/unicode.hpp"

namespace orvendel::screens::LoginValidation {

bool isLoginButtonEnabled(std::string_view username, std::string_view password)
{
    return !unicode::isBlank(username) && !password.empty();
}

Credentials trimmedCredentials(std::string_view username, std::string_view password)
{
    return Credentials{unicode::trimWhitespaceAndNewlines(username), unicode::trimWhitespaceAndNewlines(password)};
}

} // namespace orvendel::screens::LoginValidation
