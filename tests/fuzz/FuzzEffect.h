// An instance of the effect made the way the entry point makes it, with a host that answers
// every request plainly, for the fuzz targets.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "engine/ParameterIndex.h"
#include "include/vst2/aeffect.h"
#include "shell/PluginEffect.h"
#include "tests/fuzz/FuzzInput.h"
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

// Sets a parameter as a host would; one outside 0..1 ends the output bound's promise for the run.
inline void setParameterChecked(AEffect* e, int32_t index, float value, OutputCheck& check) {
    if (index >= 0 && index < kNumParams) check.parameter(value);
    e->setParameter(e, index, value);
}

constexpr int32_t kMaxBlock = 8192;

// Per-sample loops of the targets themselves: their compares guide nothing, and traced per
// sample they cost more than the effect's own work.
#define BRINDLET_FUZZ_UNTRACED __attribute__((no_sanitize("coverage")))

// Fills `frames` of both channels with `level`, or with `level` on every eighth frame and
// zeros between when `sparse`.
BRINDLET_FUZZ_UNTRACED inline void fillInput(float (&channels)[2][kMaxBlock], int32_t frames,
                                             float level, bool sparse) {
    for (auto& channel : channels) {
        for (int32_t i = 0; i < frames; ++i) channel[i] = sparse && (i & 7) ? 0.0f : level;
    }
}

// Runs `frames` (at most kMaxBlock) of `inputs` through `processReplacing`, or through `process`
// onto cleared outputs, and aborts on an output that `check` refuses.
BRINDLET_FUZZ_UNTRACED inline void processChecked(AEffect* e, float** inputs, int32_t frames, bool replacing,
                           const OutputCheck& check) {
    static float channels[2][kMaxBlock];
    float* outputs[2] = {channels[0], channels[1]};
    if (replacing) {
        e->processReplacing(e, inputs, outputs, frames);
    } else {
        for (float* out : outputs) std::fill(out, out + frames, 0.0f);
        e->process(e, inputs, outputs, frames);
    }
    for (const float* out : outputs) {
        for (int32_t i = 0; i < frames; ++i) {
            if (!check.accepts(out[i])) std::abort();
        }
    }
}

}  // namespace brindlet::fuzz
