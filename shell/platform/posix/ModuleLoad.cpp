// Module-load entry for ELF shared objects: records the module's base address as its handle.
#include <dlfcn.h>

#include "shell/ModuleInstance.h"

namespace brindlet {
namespace {

__attribute__((constructor)) void onModuleLoad() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&onModuleLoad), &info) != 0) {
        moduleInstance = info.dli_fbase;
    }
}

}  // namespace
}  // namespace brindlet
