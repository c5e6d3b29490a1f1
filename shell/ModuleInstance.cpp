// The module's own instance handle, saved when the module is loaded.
#include "shell/ModuleInstance.h"

namespace brindlet {

void* moduleInstance = nullptr;

}  // namespace brindlet
