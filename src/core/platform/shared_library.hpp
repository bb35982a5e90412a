#pragma once

#include "core/support/error.hpp"

#include <initializer_list>
#include <memory>
#include <string>

namespace orvendel {

// A shared library opened at run time rather than linked, so that what only some moments need (the HTTP
// client, the secret service) is not loaded, relocated and searched by every symbol lookup before the first
// frame. The library stays loaded while the object lives.
// Thread contract: open and look up from any thread; the object is immutable once opened.
class SharedLibrary {
public:
    static constexpr const char* errorDomain = "SharedLibrary";
    static constexpr int notLoaded = 1;     // the library or one it needs is not installed
    static constexpr int missingSymbol = 2; // an older or other build of it

    // `soname` as the dynamic linker would look it up, e.g. "libcurl.so.4".
    static Result<std::shared_ptr<SharedLibrary>> open(const std::string& soname);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The address of `name` in the library or the libraries it depends on; an error names what is missing.
    Result<void*> address(const char* name) const;

    // `address` as the function pointer type the caller declares.
    template <typename Function>
    Result<void> resolve(Function*& function, const char* name) const
    {
        auto found = address(name);
        if (!found) {
            return found.error();
        }
        function = reinterpret_cast<Function*>(*found);
        return {};
    }

    // The first failure among a table's `resolve` calls, or success when every name was found.
    static Result<void> allResolved(std::initializer_list<Result<void>> resolved)
    {
        for (const auto& one : resolved) {
            if (!one) {
                return one.error();
            }
        }
        return {};
    }

    const std::string& soname() const { return m_soname; }

private:
    SharedLibrary(std::string soname, void* handle) : m_soname(std::move(soname)), m_handle(handle) {}

    std::string m_soname;
    void* m_handle;
};

} // namespace orvendel
