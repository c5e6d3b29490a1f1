// Small helpers for driving a whole Engine over a stereo signal in tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Engine.h"
#include "shell/FactoryPresetTable.h"
#include "tools/demo/DemoSignal.h"

namespace brindlet::test {

inline void applyPreset(Engine& engine, int row) {
    for (int32_t i = 0; i < kNumParams; ++i)
        engine.setParameter(i, kFactoryPresetTable[row].values[i]);
}

// An engine switched on at `rate` with a factory preset, or with its defaults for row -1.
inline std::unique_ptr<Engine> makeEngine(int row = -1, EngineHost* host = nullptr,
                                          float rate = 44100.0f) {
    auto engine = std::make_unique<Engine>(host);
    if (row >= 0) applyPreset(*engine, row);
    engine->mainsOn(rate);
    return engine;
}

inline StereoSignal demoSeconds(float seconds) {
    StereoSignal s = makeDemoSignal(44100.0f);
    const auto frames = static_cast<std::size_t>(seconds * 44100.0f);
    s.left.resize(frames);
    s.right.resize(frames);
    return s;
}

inline StereoSignal constant(std::size_t frames, float value = 0.0f) {
    return StereoSignal{std::vector<float>(frames, value), std::vector<float>(frames, value)};
}

// Runs the signal through in blocks; `adding` uses process over outputs pre-filled with `fill`.
inline StereoSignal render(Engine& engine, const StereoSignal& in, int32_t block,
                           bool adding = false, float fill = 0.0f) {
    StereoSignal out = constant(in.left.size(), fill);
    for (std::size_t start = 0; start < in.left.size(); start += static_cast<std::size_t>(block)) {
        const auto n = static_cast<int32_t>(
            std::min<std::size_t>(static_cast<std::size_t>(block), in.left.size() - start));
        const float* i[2] = {in.left.data() + start, in.right.data() + start};
        float* o[2] = {out.left.data() + start, out.right.data() + start};
        if (adding) {
            engine.process(i, o, n);
        } else {
            engine.processReplacing(i, o, n);
        }
    }
    return out;
}

inline bool sameBits(const StereoSignal& a, const StereoSignal& b) {
    auto same = [](float x, float y) { return x == y || (x != x && y != y); };
    return a.left.size() == b.left.size() &&
           std::equal(a.left.begin(), a.left.end(), b.left.begin(), same) &&
           std::equal(a.right.begin(), a.right.end(), b.right.begin(), same);
}

}  // namespace brindlet::test
