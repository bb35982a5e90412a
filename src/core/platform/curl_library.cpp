#include "core/platform/curl_library.hpp"

#include "core/platform/shared_library.hpp"

#include <memory>
#include <mutex>

namespace orvendel {
namespace {

Result<CurlLibrary> load(const SharedLibrary& library)
{
    CurlLibrary table;
    if (auto resolved = SharedLibrary::allResolved({
            library.resolve(table.global_init, "curl_global_init"),
            library.resolve(table.version_info, "curl_version_info"),
            library.resolve(table.easy_init, "curl_easy_init"),
            library.resolve(table.easy_cleanup, "curl_easy_cleanup"),
            library.resolve(table.easy_setopt, "curl_easy_setopt"),
            library.resolve(table.easy_getinfo, "curl_easy_getinfo"),
            library.resolve(table.easy_strerror, "curl_easy_strerror"),
            library.resolve(table.slist_append, "curl_slist_append"),
            library.resolve(table.slist_free_all, "curl_slist_free_all"),
            library.resolve(table.multi_init, "curl_multi_init"),
            library.resolve(table.multi_cleanup, "curl_multi_cleanup"),
            library.resolve(table.multi_add_handle, "curl_multi_add_handle"),
            library.resolve(table.multi_remove_handle, "curl_multi_remove_handle"),
            library.resolve(table.multi_perform, "curl_multi_perform"),
            library.resolve(table.multi_poll, "curl_multi_poll"),
            library.resolve(table.multi_wakeup, "curl_multi_wakeup"),
            library.resolve(table.multi_info_read, "curl_multi_info_read"),
        });
        !resolved) {
        return resolved.error();
    }
    return table;
}

} // namespace

Result<const CurlLibrary*> curlLibrary()
{
    // Process-wide by nature: libcurl's global set-up may run once per process, before any handle exists.
    static std::once_flag once;
    static std::shared_ptr<SharedLibrary> library;
    static std::optional<Result<CurlLibrary>> table;
    std::call_once(once, [] {
        auto opened = SharedLibrary::open("libcurl.so.4");
        if (!opened) {
            table.emplace(opened.error());
            return;
        }
        library = *opened;
        table.emplace(load(*library));
        if (*table) {
            (*table)->global_init(CURL_GLOBAL_DEFAULT);
        }
    });
    if (!*table) {
        return table->error();
    }
    return &table->value();
}

} // namespace orvendel
