// The module's exported entry point, under both names hosts look for: VSTPluginMain and main.
#include "include/vst2/aeffect.h"
#include "shell/PluginEffect.h"

extern "C" {

VST2_EXPORT AEffect* VST2_CALL VSTPluginMain(audioMasterCallback hostCallback) {
    return brindlet::createEffect(hostCallback);
}

// The same function under the assembler name `main`: a C++ function may not be called main.
VST2_EXPORT AEffect* VST2_CALL vstMainAlias(audioMasterCallback hostCallback) __asm__(
    VST2_ASM_NAME("main")) __attribute__((alias("VSTPluginMain")));

}  // extern "C"
