#include "core/model/user_name.hpp"

#include "core/support/unicode.hpp"

namespace orvendel::user_name {

std::string normalised(std::string_view name)
{
    // Composed before upper-casing, as case mappings are defined on composed letters, and again after, as
    // some upper-case forms have no precomposed letter ("ΐ" → "Ϊ́"), so that normalising twice changes nothing.
    std::string result = unicode::composed(unicode::upperCased(unicode::composed(name)));
    std::erase(result, ' ');
    return result;
}

} // namespace orvendel::user_name
