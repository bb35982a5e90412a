#include "core/platform/curl_library.hpp"

#include "core/platform/shared_library.hpp"

#include <map>
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

Result<const CurlLibrary*> curlLibrary(const std::string& soname)
{
    // Process-wide by nature: libcurl's global set-up may run once per process, before any handle exists.
    // One entry per name asked for; in practice only the system's libcurl (and, in tests, a missing one).
    struct Loaded {
        std::shared_ptr<SharedLibrary> library;
        Result<CurlLibrary> table;
    };
    // Never destroyed: a transport may still be shutting down on one of its own threads while the process
    // exits, and its network thread calls through this table until it is joined. Destroying the table (and
    // unloading libcurl) at exit raced with that.
    static auto& mutex = *new std::mutex;
    static auto& loaded = *new std::map<std::string, Loaded, std::less<>>;
    std::lock_guard lock(mutex);
    auto found = loaded.find(soname);
    if (found == loaded.end()) {
        auto opened = SharedLibrary::open(soname);
        if (!opened) {
            found = loaded.emplace(soname, Loaded{nullptr, opened.error()}).first;
        } else {
            found = loaded.emplace(soname, Loaded{*opened, load(**opened)}).first;
            if (found->second.table) {
                found->second.table->global_init(CURL_GLOBAL_DEFAULT);
            }
        }
    }
    const auto& table = found->second.table;
    if (!table) {
        return table.error();
    }
    return &table.value();
}

} // namespace orvendel
