// Module-load entry for Windows DLLs: records the module's instance handle.
#include "shell/ModuleInstance.h"

// Declared here rather than through windows.h: only the handle is needed.
extern "C" int __stdcall DllMain(void* instance, unsigned long reason, void* reserved);

extern "C" int __stdcall DllMain(void* instance, unsigned long, void*) {
    // Every notification (process and thread attach and detach) stores it and succeeds.
    brindlet::moduleInstance = instance;
    return 1;
}
