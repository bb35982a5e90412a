#include "core/model/user_name.hpp"

#include "core/support/unicode.hpp"

namespace orvendel::user_name {

std::string normalised(std::string_view name)
{
    std::string result = unicode::upperCased(name);
    std::erase(result, ' ');
    return result;
}

std::string storageName(std::string_view name)
{
    return unicode::upperCased(name);
}

} // namespace orvendel::user_name
