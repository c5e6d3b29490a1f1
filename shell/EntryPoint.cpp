// The module's exported entry point, under both names hosts look for: VSTPluginMain and main.
#include "include/vst2/aeffect.h"
#include "shell/PluginEffect.h"

// Windows exports the alias through the module-definition file: the attribute would make the 32-bit
// linker look for "__main", the prefixed form of its already prefixed assembler name.
#if defined(_WIN32)
#define BRINDLET_ALIAS_EXPORT
#else
#define BRINDLET_ALIAS_EXPORT VST2_EXPORT
#endif

extern "C" {

VST2_EXPORT AEffect* VST2_CALL VSTPluginMain(audioMasterCallback hostCallback) {
    return brindlet::createEffect(hostCallback);
}

// The same function under the assembler name `main`: a C++ function may not be called main.
BRINDLET_ALIAS_EXPORT AEffect* VST2_CALL vstMainAlias(audioMasterCallback hostCallback) __asm__(
    VST2_ASM_NAME("main")) __attribute__((alias("VSTPluginMain")));

}  // extern "C"
