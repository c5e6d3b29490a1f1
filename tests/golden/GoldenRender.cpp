// Preset rendering and output hashing for the golden tests and the engine check tool.
#include "tests/golden/GoldenRender.h"

#include <algorithm>
#include <cstring>

#include "engine/Engine.h"

namespace brindlet {

StereoSignal renderPreset(const FactoryPreset& preset, const StereoSignal& input, float sampleRate,
                          int32_t blockSize, EngineHost* host) {
    Engine engine(host);
    for (int32_t i = 0; i < kNumParams; ++i)
        engine.setParameter(i, kFactoryPresetTable[0].values[i]);
    engine.resetToDefaults();
    for (int32_t i = 0; i < kNumParams; ++i) engine.setParameter(i, preset.values[i]);
    engine.mainsOn(sampleRate);

    StereoSignal output;
    const std::size_t frames = std::min(input.left.size(), input.right.size());
    output.left.assign(frames, 0.0f);
    output.right.assign(frames, 0.0f);
    for (std::size_t start = 0; start < frames; start += static_cast<std::size_t>(blockSize)) {
        const auto count = static_cast<int32_t>(
            std::min<std::size_t>(static_cast<std::size_t>(blockSize), frames - start));
        const float* in[2] = {input.left.data() + start, input.right.data() + start};
        float* out[2] = {output.left.data() + start, output.right.data() + start};
        engine.processReplacing(in, out, count);
    }
    return output;
}

uint64_t hashSignal(const StereoSignal& signal) {
    uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](float sample) {
        uint32_t bits;
        std::memcpy(&bits, &sample, sizeof bits);
        for (int byte = 0; byte < 4; ++byte) {
            hash ^= (bits >> (8 * byte)) & 0xFFu;
            hash *= 1099511628211ull;
        }
    };
    const std::size_t frames = std::min(signal.left.size(), signal.right.size());
    for (std::size_t k = 0; k < frames; ++k) {
        mix(signal.left[k]);
        mix(signal.right[k]);
    }
    return hash;
}

}  // namespace brindlet
