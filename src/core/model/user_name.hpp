#pragma once

#include <string>
#include <string_view>

namespace orvendel::user_name {

// How a user name typed at sign-in becomes the one name the system keeps for the user: the service, the
// session, the credential store and the storage folder all use it, so every spelling of a user that the
// service accepts as the same user finds the same folder, settings and unsaved edits. Composed (NFC), so
// "u" + combining diaeresis is "ü", full Unicode upper-casing (root locale), then every space removed:
// "jürgen" → "JÜRGEN", "ab cd" → "ABCD",
// "straße" → "STRASSE". For ASCII names without spaces it is plain A–Z upper-casing, which the folders
// already on devices and the users known to the service rely on. Idempotent.
// Thread contract: a pure function, any thread.
std::string normalised(std::string_view name);

} // namespace orvendel::user_name
