#include "core/platform/shared_library.hpp"

#include <dlfcn.h>

namespace orvendel {
namespace {

std::string lastLoaderError(const std::string& fallback)
{
    const char* text = dlerror();
    return text != nullptr ? std::string(text) : fallback;
}

} // namespace

Result<std::shared_ptr<SharedLibrary>> SharedLibrary::open(const std::string& soname)
{
    // Local: its symbols must not stand in for anyone else's; now: a missing symbol fails here, not mid-call.
    void* handle = dlopen(soname.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return Error{errorDomain, notLoaded, "Could not load " + soname + ": " + lastLoaderError("not found")};
    }
    return std::shared_ptr<SharedLibrary>(new SharedLibrary(soname, handle));
}

SharedLibrary::~SharedLibrary()
{
    dlclose(m_handle);
}

Result<void*> SharedLibrary::address(const char* name) const
{
    dlerror();
    void* found = dlsym(m_handle, name);
    if (found == nullptr) {
        return Error{errorDomain, missingSymbol, m_soname + " has no " + name + ": " + lastLoaderError("not found")};
    }
    return found;
}

} // namespace orvendel
