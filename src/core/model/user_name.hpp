#pragma once

#include <string>
#include <string_view>

namespace orvendel::user_name {

// How a user name typed at sign-in becomes the name the system keeps. Both forms share one upper-casing
// (full Unicode mapping, root locale), so "jürgen" is "JÜRGEN" everywhere; for ASCII names it is plain
// A–Z upper-casing, which the folders already on devices and the users known to the service rely on.
// Thread contract: pure functions, any thread.

// The name the service, the session and the credential store know the user by: upper-cased, then every
// space removed ("ab cd" → "ABCD", "straße" → "STRASSE").
std::string normalised(std::string_view name);

// The name the user's storage folder is derived from: upper-cased, spaces kept, so that "ab cd" keeps the
// folder it has always had. Idempotent: an already upper-cased name comes back unchanged.
std::string storageName(std::string_view name);

} // namespace orvendel::user_name
