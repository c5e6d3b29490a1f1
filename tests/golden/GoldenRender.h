// Renders a factory preset through the engine the way the plug-in runs it, and hashes the result.
#pragma once

#include <cstdint>

#include "engine/EngineHost.h"
#include "shell/FactoryPresetTable.h"
#include "tools/demo/DemoSignal.h"

namespace brindlet {

constexpr float kGoldenSampleRate = 44100.0f;
constexpr int32_t kGoldenBlockSize = 512;

// Constructs an engine as the plug-in does (program 0 applied, then the defaults), selects the
// preset's values, switches audio on and runs processReplacing in blocks of `blockSize`.
StereoSignal renderPreset(const FactoryPreset& preset, const StereoSignal& input,
                          float sampleRate = kGoldenSampleRate,
                          int32_t blockSize = kGoldenBlockSize, EngineHost* host = nullptr);

// FNV-1a 64 over the bit patterns of the samples, left and right of each frame in turn.
uint64_t hashSignal(const StereoSignal& signal);

}  // namespace brindlet
