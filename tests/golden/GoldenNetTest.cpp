// A wide net of locked renders: random parameter sets (out-of-range values and signed zeros
// included), automation and MIDI between blocks, mixed process/processReplacing, block sizes
// from 1 to 4096, two rates, and input holding NaN, infinities and denormals. Output samples and
// editor feeds are hashed per case.
//
// The frame loop takes shortcuts that are exact only by argument (a skipped test, a settled
// smoother); any case whose bits move shows where the argument failed. To relock after a change
// that is meant to be audible, run with BRINDLET_GOLDEN_NET_PRINT=1 and paste the table.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "engine/Engine.h"
#include "tests/engine/EngineRender.h"
#include "tests/engine/FakeEngineHost.h"
#include "tests/golden/GoldenNetHashes.h"
#include "tests/golden/GoldenRender.h"

namespace brindlet {
namespace {

// Our own generator, so the cases are the same with every standard library.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<uint32_t>(state_ >> 32);
    }
    uint32_t below(uint32_t n) { return next() % n; }
    float unit() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }

private:
    uint64_t state_;
};

// Mostly in range, sometimes exactly at an end, a signed zero or out of range.
float parameterValue(Random& r) {
    const uint32_t kind = r.below(10);
    if (kind < 3) return std::array{0.0f, -0.0f, 1.0f}[kind];
    return kind == 3 ? -0.5f + 2.0f * r.unit() : r.unit();
}

// A stretch of the demo with NaN, infinities, denormals and silence spliced in.
StereoSignal caseInput(const StereoSignal& demo, Random& r, std::size_t frames) {
    const std::size_t offset = r.below(static_cast<uint32_t>(demo.left.size() - frames));
    StereoSignal in{
        std::vector<float>(demo.left.begin() + offset, demo.left.begin() + offset + frames),
        std::vector<float>(demo.right.begin() + offset, demo.right.begin() + offset + frames)};
    constexpr float kInf = std::numeric_limits<float>::infinity();
    const float specials[] = {
        std::numeric_limits<float>::quiet_NaN(), kInf, -kInf, 1e-40f, -3e-39f, 0.0f};
    for (int splice = r.below(4); splice > 0; --splice) {
        const std::size_t at = r.below(static_cast<uint32_t>(frames));
        const std::size_t length = std::min<std::size_t>(1 + r.below(3000), frames - at);
        const float value = specials[r.below(6)];
        for (std::size_t k = at; k < at + length; ++k) {
            (r.below(2) ? in.left : in.right)[k] = value;
            if (value < 1e-30f && value > -1e-30f) in.left[k] = in.right[k] = value;
        }
    }
    return in;
}

uint64_t renderCase(int index, const StereoSignal& demo) {
    Random r(static_cast<uint64_t>(index));
    test::FakeEngineHost host;
    host.editor = r.below(3) != 0;
    Engine engine(&host);
    host.engine = &engine;
    if (index < kNumFactoryPresets) {
        test::applyPreset(engine, index);
    } else {
        for (int32_t i = 0; i < kNumParams; ++i) engine.setParameter(i, parameterValue(r));
    }
    engine.mainsOn(r.below(2) ? 44100.0f : 48000.0f);
    const std::size_t frames = 20000 + r.below(40000);
    const StereoSignal in = caseInput(demo, r, frames);
    StereoSignal out{std::vector<float>(frames, 0.25f), std::vector<float>(frames, -0.25f)};
    const int32_t blockChoices[] = {1, 2, 3, 7, 32, 64, 100, 256, 512, 1000, 4096};
    for (std::size_t start = 0; start < frames;) {
        const int32_t block =
            r.below(4) == 0 ? static_cast<int32_t>(1 + r.below(4096)) : blockChoices[r.below(11)];
        const auto n = static_cast<int32_t>(std::min<std::size_t>(block, frames - start));
        const float* ins[2] = {in.left.data() + start, in.right.data() + start};
        float* outs[2] = {out.left.data() + start, out.right.data() + start};
        if (r.below(5) == 0) {
            engine.process(ins, outs, n);
        } else {
            engine.processReplacing(ins, outs, n);
        }
        start += static_cast<std::size_t>(n);
        if (r.below(6) == 0)
            engine.setParameter(static_cast<int32_t>(r.below(kNumParams)), parameterValue(r));
        if (r.below(20) == 0)
            engine.midiMessage(0x90, static_cast<uint8_t>(r.below(72)),
                               static_cast<uint8_t>(r.below(128)));
    }
    GoldenHash hash;
    hash.add(out);
    for (const test::Feed& feed : host.feeds) {
        hash.add(static_cast<uint32_t>(feed.index));
        hash.add(feed.value);
    }
    return hash.value;
}

TEST(GoldenNet, RandomConfigurationsRenderTheLockedBits) {
    const StereoSignal demo = makeDemoSignal(kGoldenSampleRate);
    const bool print = std::getenv("BRINDLET_GOLDEN_NET_PRINT") != nullptr;
    for (const FramePath path : ForcedFramePath::available()) {
        const ForcedFramePath forced(path);
        for (int index = 0; index < kGoldenNetCases; ++index) {
            const uint64_t hash = renderCase(index, demo);
            if (print) {
                std::printf("    0x%016llxull,\n", static_cast<unsigned long long>(hash));
            } else {
                EXPECT_EQ(hash, kGoldenNetHashes[index]) << "case " << index << forced.name();
            }
        }
        if (print) break;
    }
}

}  // namespace
}  // namespace brindlet
