// An instance of the effect made the way the entry point makes it, with a host that answers
// every request plainly, for the fuzz targets.
#pragma once

#include <cstdint>

#include "include/vst2/aeffect.h"
#include "shell/PluginEffect.h"
#include "toolkit/platform/headless/Headless.h"

namespace brindlet::fuzz {

inline intptr_t VST2_CALL quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Any non-null pointer stands for the host's window on the headless backend.
inline void* fakeParentWindow() {
    static int parent;
    return &parent;
}

// The editor's artwork served unreadable, so that creating an instance skips decoding it (the
// editor works on without images) and inputs run many times faster. Served again after each
// `headless::reset()`, which forgets it.
inline void skipEditorArtwork() {
    for (int32_t id = 128; id <= 170; ++id) headless::setBitmapResource(id, {'B', 'M'});
}

inline intptr_t dispatch(AEffect* e, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                         void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

}  // namespace brindlet::fuzz
