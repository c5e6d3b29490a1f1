// Renders a factory preset through the engine the way the plug-in runs it, and hashes the result.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/EngineHost.h"
#include "engine/FramePath.h"
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

// Runs one copy of the frame loop while it lives, then goes back to the one running before.
class ForcedFramePath {
public:
    explicit ForcedFramePath(FramePath path) : previous_(activeFramePath()), path_(path) {
        forceFramePath(path);
    }
    ~ForcedFramePath() { forceFramePath(previous_); }
    ForcedFramePath(const ForcedFramePath&) = delete;
    ForcedFramePath& operator=(const ForcedFramePath&) = delete;

    // Every copy this build has and this CPU can run, the portable one first.
    static std::vector<FramePath> available() {
        std::vector<FramePath> paths;
        for (FramePath path : {FramePath::Portable, FramePath::X86_64_V3, FramePath::X86_64_V4})
            if (framePathAvailable(path)) paths.push_back(path);
        return paths;
    }
    const char* name() const {
        switch (path_) {
            case FramePath::X86_64_V3:
                return " (x86-64-v3 frame loop)";
            case FramePath::X86_64_V4:
                return " (x86-64-v4 frame loop)";
            default:
                return " (portable frame loop)";
        }
    }

private:
    FramePath previous_;
    FramePath path_;
};

}  // namespace brindlet
