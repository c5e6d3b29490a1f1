// Every factory preset over the demo input, bit for bit, and the demo input itself.
//
// The hashes were locked after listening to the renders and looking at their plots
// (brindlet-enginecheck writes both). A change in any of them changes what users hear.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

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

std::string hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(v));
    return text;
}

const StereoSignal& demo() {
    static const StereoSignal signal = makeDemoSignal(kGoldenSampleRate);
    return signal;
}

TEST(GoldenDemo, FourBarsAtOneHundredTwentyBpmBelowFullScale) {
    const StereoSignal& s = demo();
    ASSERT_EQ(s.left.size(), 8u * 44100u);
    ASSERT_EQ(s.right.size(), s.left.size());
    float peak = 0.0f;
    bool differs = false;
    for (std::size_t k = 0; k < s.left.size(); ++k) {
        peak = std::fmax(peak, std::fmax(std::fabs(s.left[k]), std::fabs(s.right[k])));
        differs = differs || s.left[k] != s.right[k];
    }
    EXPECT_LT(peak, 1.0f);
    EXPECT_GT(peak, 0.5f);
    EXPECT_TRUE(differs);
    EXPECT_EQ(hex(hashSignal(s)), hex(kDemoHash));
}

TEST(GoldenPresets, EveryFactoryPresetRendersTheLockedBits) {
    for (int row = 0; row < kNumFactoryPresets; ++row) {
        const StereoSignal out = renderPreset(kFactoryPresetTable[row], demo());
        double peak = 0.0, energy = 0.0;
        int nonFinite = 0;
        for (const auto* channel : {&out.left, &out.right}) {
            for (float v : *channel) {
                nonFinite += !std::isfinite(v);
                peak = std::fmax(peak, std::fabs(v));
                energy += static_cast<double>(v) * v;
            }
        }
        const double rms = std::sqrt(energy / (2.0 * static_cast<double>(out.left.size())));
        const char* name = kFactoryPresetTable[row].name;
        EXPECT_EQ(nonFinite, 0) << name;
        EXPECT_GT(peak, 0.5) << name;
        EXPECT_LT(peak, 1.5) << name;
        EXPECT_GT(rms, 0.05) << name;
        EXPECT_EQ(hex(hashSignal(out)), hex(kPresetHashes[row])) << name;
    }
}

TEST(GoldenPresets, BlockSizeAndEditorFeedsDoNotChangeTheBits) {
    const FactoryPreset& bass = kFactoryPresetTable[0];
    for (int32_t block : {1, 64, 512, 4096}) {
        EXPECT_EQ(hex(hashSignal(renderPreset(bass, demo(), kGoldenSampleRate, block))),
                  hex(kPresetHashes[0]))
            << "block " << block;
    }
    for (int row = 1; row < kNumFactoryPresets; ++row) {
        test::FakeEngineHost host;
        const StereoSignal out =
            renderPreset(kFactoryPresetTable[row], demo(), kGoldenSampleRate, 4096, &host);
        EXPECT_EQ(hex(hashSignal(out)), hex(kPresetHashes[row])) << kFactoryPresetTable[row].name;
        EXPECT_GT(host.count(kFeedSweep), 0);
    }
}

}  // namespace
}  // namespace brindlet
