#pragma once

#include "core/support/error.hpp"

#include <curl/curl.h>

#include <string>

namespace orvendel {

// The libcurl functions the HTTP transport and the version report call, looked up in libcurl when first
// needed instead of linked: libcurl and the score of libraries it brings would otherwise be loaded before the
// app's first frame, though nothing talks to the network until the first request.
// Thread contract: `curlLibrary()` from any thread; the table never changes once loaded.
struct CurlLibrary {
    decltype(&::curl_global_init) global_init = nullptr;
    decltype(&::curl_version_info) version_info = nullptr;
    decltype(&::curl_easy_init) easy_init = nullptr;
    decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&::curl_easy_setopt) easy_setopt = nullptr;
    decltype(&::curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&::curl_easy_strerror) easy_strerror = nullptr;
    decltype(&::curl_slist_append) slist_append = nullptr;
    decltype(&::curl_slist_free_all) slist_free_all = nullptr;
    decltype(&::curl_multi_init) multi_init = nullptr;
    decltype(&::curl_multi_cleanup) multi_cleanup = nullptr;
    decltype(&::curl_multi_add_handle) multi_add_handle = nullptr;
    decltype(&::curl_multi_remove_handle) multi_remove_handle = nullptr;
    decltype(&::curl_multi_perform) multi_perform = nullptr;
    decltype(&::curl_multi_poll) multi_poll = nullptr;
    decltype(&::curl_multi_wakeup) multi_wakeup = nullptr;
    decltype(&::curl_multi_info_read) multi_info_read = nullptr;
};

inline constexpr const char* defaultCurlLibraryName = "libcurl.so.4";

// libcurl, loaded and globally initialised on the first call for `soname`; the same table (or the same error)
// after. It stays loaded for the rest of the process: handles and its global state outlive any one transport.
Result<const CurlLibrary*> curlLibrary(const std::string& soname = defaultCurlLibraryName);

} // namespace orvendel
