// The module's own instance handle, saved when the module is loaded.
#pragma once

namespace brindlet {

// Windows: the module's HINSTANCE. Linux: the load address of the shared object (what dladdr
// reports as its base), the same notion. Null until the module-load entry has run, and in
// programs that link the shell statically.
extern void* moduleInstance;

}  // namespace brindlet
