#include "core/core.hpp"

#include "core/version.hpp"

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <openssl/opensslv.h>
#include <sqlite3.h>
#include <unicode/uchar.h>
#include <unicode/uvernum.h>

#include <asio/version.hpp>

#include "core/platform/curl_library.hpp"

namespace orvendel {

std::string coreSelfCheckReport()
{
    std::string out = fmt::format("Orvendel core {} ({})\n", build::applicationVersion, build::applicationIdentifier);
    out += fmt::format("  SQLite        {}\n", sqlite3_libversion());
    if (auto curl = curlLibrary()) {
        out += fmt::format("  libcurl       {}\n", (*curl)->version_info(CURLVERSION_NOW)->version);
    } else {
        out += fmt::format("  libcurl       not loaded: {}\n", curl.error().description);
    }
    out += fmt::format("  OpenSSL       {}\n", OPENSSL_FULL_VERSION_STR);
    out += fmt::format("  nlohmann/json {}.{}.{}\n", NLOHMANN_JSON_VERSION_MAJOR, NLOHMANN_JSON_VERSION_MINOR,
                       NLOHMANN_JSON_VERSION_PATCH);
    out += fmt::format("  ICU           {} (Unicode {})\n", U_ICU_VERSION, U_UNICODE_VERSION);
    out += fmt::format("  {{fmt}}         {}\n", FMT_VERSION);
    out +=
        fmt::format("  Asio          {}.{}.{}\n", ASIO_VERSION / 100000, ASIO_VERSION / 100 % 1000, ASIO_VERSION % 100);
    return out;
}

} // namespace orvendel
