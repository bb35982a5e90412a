#include "core/model/user_name.hpp"

#include "core/support/unicode.hpp"

namespace orvendel::user_name {

std::string normalised(std::string_view name)
{
    std::string result = unicode::upperCased(name);
    std::erase(result, ' ');
    return result;
}

} // namespace orvendel::user_name
