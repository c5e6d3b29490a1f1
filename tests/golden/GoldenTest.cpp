// Every factory preset over the demo input, bit for bit, and the demo input itself.
//
// The hashes were locked after listening to the renders and looking at their plots
// (`brindlet-render` writes both: bare for the renders, with --plot for a picture). A change in
// any of them changes what users hear.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "tests/engine/EngineRender.h"
#include "tests/engine/FakeEngineHost.h"
#include "tests/golden/GoldenRender.h"

namespace brindlet {
namespace {

constexpr uint64_t kDemoHash = 0x4e88b1a0cb9a773dull;
constexpr uint64_t kPresetHashes[kNumFactoryPresets] = {
    0x304390e042bc9f30ull,  // Bass
    0x3834aa5af658e25cull,  // Big Drum
    0x1cdff83f2f09fa8full,  // Electro Drum
    0x2674b9c74664c53cull,  // DJ Decks
    0x9bb79442103d493cull,  // Talking Drum
    0xf9fc672697360957ull,  // Hawaiian Guitar
    0xf8bf9660fa0a1f3aull,  // Flanger
    0x04a2f10f63f2ad91ull,  // Sweep
};

// Hex text, so a failure shows the new value ready to paste.
std::string hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(v));
    return text;
}
std::string hex(const StereoSignal& signal) {
    GoldenHash hash;
    hash.add(signal);
    return hex(hash.value);
}

// An engine built as the plug-in builds it (program 0 applied, then the defaults), with the
// preset's values, run through processReplacing in blocks of `block`.
StereoSignal renderPreset(int row, const StereoSignal& in, int32_t block, EngineHost* host) {
    Engine engine(host);
    test::applyPreset(engine, 0);
    engine.resetToDefaults();
    test::applyPreset(engine, row);
    engine.mainsOn(kGoldenSampleRate);
    return test::render(engine, in, block);
}

// Every compiled copy of the frame loop this CPU can run must give the locked bits.
TEST(Golden, DemoInputAndEveryFactoryPresetRenderTheLockedBitsAtAnyBlockSize) {
    const StereoSignal in = makeDemoSignal(kGoldenSampleRate);
    ASSERT_EQ(in.left.size(), 8u * 44100u);  // four bars at 120 bpm
    EXPECT_EQ(hex(in), hex(kDemoHash));
    for (const FramePath path : ForcedFramePath::available()) {
        const ForcedFramePath forced(path);
        SCOPED_TRACE(forced.name());
        for (int row = 0; row < kNumFactoryPresets; ++row) {
            const char* name = kFactoryPresetTable[row].name;
            const StereoSignal out = renderPreset(row, in, 512, nullptr);
            float peak = 0.0f;
            for (float v : out.left) peak = std::fmax(peak, std::fabs(v));
            EXPECT_GT(peak, 0.5f) << name;
            EXPECT_LT(peak, 1.5f) << name;
            EXPECT_EQ(hex(out), hex(kPresetHashes[row])) << name;
            // Other block sizes, with the editor's feeds on, give the same bits.
            test::FakeEngineHost host;
            const int32_t block = std::array{1, 3, 64, 1000, 4096}[row % 5];
            EXPECT_EQ(hex(renderPreset(row, in, block, &host)), hex(kPresetHashes[row]))
                << name << " in blocks of " << block;
            EXPECT_GT(host.count(kFeedSweep), 0);
        }
    }
}

}  // namespace
}  // namespace brindlet
