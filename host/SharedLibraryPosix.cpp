// SharedLibrary on dlopen: symbols resolved at load so a broken module fails here, not mid-render.
#include <dlfcn.h>

#include "host/SharedLibrary.h"

namespace brindlet {

bool SharedLibrary::open(const std::string& path, std::string& error) {
    close();
    // RTLD_LOCAL keeps two modules that export the same names from resolving into each other.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : "unknown loader error";
        return false;
    }
    return true;
}

void SharedLibrary::close() {
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = nullptr;
}

void* SharedLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    return dlsym(handle_, name);
}

}  // namespace brindlet
