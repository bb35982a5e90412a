#include "core/screens/login_validation.hpp"

#include "core/screens/unicode_text.hpp"

namespace orvendel::screens::LoginValidation {

bool isLoginButtonEnabled(std::string_view username, std::string_view password)
{
    return !isBlank(username) && !password.empty();
}

Credentials trimmedCredentials(std::string_view username, std::string_view password)
{
    return Credentials{trimWhitespaceAndNewlines(username), trimWhitespaceAndNewlines(password)};
}

} // namespace orvendel::screens::LoginValidation
