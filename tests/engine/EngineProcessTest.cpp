// The frame loop as a whole: in place, silence, reset, sizing, bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/Engine.h"
#include "tests/engine/EngineRender.h"
#include "tests/engine/FakeEngineHost.h"

namespace brindlet {
namespace {

using test::makeEngine;
using test::render;
using test::sameBits;

constexpr int kSweepPreset = 7;  // rising sweep, strong feedback, No Slope takes
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// The output may be the input's own buffer: each frame's input is read before its output is
// written.
TEST(EngineProcess, InPlaceProcessingGivesTheBitsOfSeparateBuffers) {
    const StereoSignal in = test::demoSeconds(1.0f);
    auto inPlace = makeEngine(kSweepPreset);
    const StereoSignal expected = render(*makeEngine(kSweepPreset), in, 256);
    StereoSignal buffer = in;
    for (std::size_t start = 0; start < in.left.size(); start += 256) {
        const auto n = static_cast<int32_t>(std::min<std::size_t>(256, in.left.size() - start));
        float* io[2] = {buffer.left.data() + start, buffer.right.data() + start};
        inPlace->processReplacing(io, io, n);
    }
    EXPECT_TRUE(sameBits(buffer, expected));
}

TEST(EngineProcess, SilenceAfterASoundEndsInExactZerosWithoutDenormalsAndOneIdleReport) {
    StereoSignal in = test::demoSeconds(1.0f);
    in.left.resize(5 * 44100, 0.0f);
    in.right.resize(5 * 44100, 0.0f);
    for (int preset = 0; preset < kNumFactoryPresets; ++preset) {
        const StereoSignal out = render(*makeEngine(preset), in, 512);
        for (std::size_t k = 0; k < out.left.size(); ++k) {
            ASSERT_NE(std::fpclassify(out.left[k]), FP_SUBNORMAL) << preset << " " << k;
            ASSERT_NE(std::fpclassify(out.right[k]), FP_SUBNORMAL) << preset << " " << k;
            if (k >= 4 * 44100) {
                ASSERT_EQ(out.left[k], 0.0f) << preset << " " << k;
            }
        }
    }
    test::FakeEngineHost host;
    auto idle = makeEngine(-1, &host);
    for (int i = 0; i < 5; ++i) render(*idle, test::constant(64), 64);
    EXPECT_EQ(host.count(kFeedIdle), 1);
}

TEST(EngineProcess, ResetAfterProcessingSoundsLikeAFreshEngine) {
    const StereoSignal in = test::demoSeconds(1.0f);
    auto used = makeEngine(kSweepPreset);
    render(*used, in, 512);
    used->resetToDefaults();  // keeps the sizing; old takes stay in memory but are never read
    EXPECT_TRUE(sameBits(render(*used, in, 512), render(*makeEngine(), in, 512)));
}

TEST(EngineSizing, BeforeMainsOnOnlyTheDryShareSounds) {
    test::FakeEngineHost host;
    Engine engine(&host);
    engine.setParameter(kMix, 0.25f);
    const StereoSignal in = test::demoSeconds(0.2f);
    const StereoSignal out = render(engine, in, 100);
    const StereoSignal added = render(engine, in, 100, true, 1.0f);
    for (std::size_t k = 0; k < in.left.size(); ++k) {
        ASSERT_EQ(out.left[k], 0.75f * in.left[k]);
        ASSERT_EQ(out.right[k], 0.75f * in.right[k]);
        ASSERT_EQ(added.left[k], 1.0f + 0.75f * in.left[k]);
    }
    EXPECT_TRUE(host.feeds.empty());
}

TEST(EngineSizing, UnusableRatesAreIgnoredAndExtremeUsableRatesRun) {
    const StereoSignal in = test::demoSeconds(0.5f);
    Engine engine(nullptr);
    for (float rate : {0.0f, -44100.0f, kNaN, kInf, 999.0f, 2e6f, 1e30f}) engine.mainsOn(rate);
    for (float v : render(engine, in, 512).left) ASSERT_EQ(v, 0.0f);  // mix 1: no dry share
    engine.mainsOn(44100.0f);
    const StereoSignal expected = render(*makeEngine(), in, 512);
    engine.mainsOn(kNaN);  // keeps the sizing and the voices
    engine.mainsOn(0.0f);
    EXPECT_TRUE(sameBits(render(engine, in, 512), expected));
    for (float rate : {1000.0f, 8000.0f, 192000.0f, 1000000.0f}) {
        for (float v : render(*makeEngine(0, nullptr, rate), in, 4096).left) {
            ASSERT_TRUE(std::isfinite(v)) << rate;
        }
    }
}

TEST(EngineSizing, SameRateKeepsThePlayingVoiceAndANewRateStopsIt) {
    const StereoSignal in = test::demoSeconds(0.5f);
    const StereoSignal quiet = test::constant(4410);
    auto continuous = makeEngine(), again = makeEngine(), changed = makeEngine();
    for (Engine* e : {continuous.get(), again.get(), changed.get()}) render(*e, in, 512);
    again->mainsOn(44100.0f);
    changed->mainsOn(48000.0f);
    const StereoSignal expected = render(*continuous, quiet, 512);
    EXPECT_TRUE(sameBits(render(*again, quiet, 512), expected));
    float loudest = 0.0f;
    for (float v : expected.left) loudest = std::fmax(loudest, std::fabs(v));
    EXPECT_GT(loudest, 0.01f);  // the take went on playing into the silence...
    for (float v : render(*changed, quiet, 512).left)
        ASSERT_EQ(v, 0.0f);  // ...not after a new rate
}

TEST(EngineSizing, NewRateDuringACrossfadeLeavesTheVoicesIdleUntilTheNextTake) {
    auto engine = makeEngine();
    StereoSignal in = test::constant(1020, 0.01f);
    std::fill(in.left.begin() + 1000, in.left.end(), 0.5f);  // an onset 20 frames before the end
    render(*engine, in, 1020);
    engine->mainsOn(48000.0f);
    for (float v : render(*engine, test::constant(48000, 0.1f), 512).left) ASSERT_EQ(v, 0.0f);
}

TEST(EngineBadInput, NonFiniteSamplesCountAsSilence) {
    const StereoSignal in = test::demoSeconds(1.0f);
    StereoSignal spoiled = in, zeroed = in;
    const float bad[] = {kNaN, kInf, -kInf};
    for (std::size_t k = 10000; k < 10300; ++k) {
        spoiled.left[k] = bad[k % 3];
        spoiled.right[k] = bad[(k + 1) % 3];
        zeroed.left[k] = zeroed.right[k] = 0.0f;
    }
    for (int preset : {0, kSweepPreset}) {
        EXPECT_TRUE(sameBits(render(*makeEngine(preset), spoiled, 512),
                             render(*makeEngine(preset), zeroed, 512)))
            << preset;
    }
}

TEST(EngineBadInput, MissingChannelsOrEmptyBlocksTouchNothing) {
    const StereoSignal in = test::demoSeconds(0.3f);
    test::FakeEngineHost host;
    auto engine = makeEngine(0, &host), reference = makeEngine(0);
    render(*engine, in, 512);
    render(*reference, in, 512);
    const std::size_t feedsBefore = host.feeds.size();

    float left[4] = {7, 7, 7, 7}, right[4] = {7, 7, 7, 7};
    const float* ins[2] = {in.left.data(), in.right.data()};
    float* outs[2] = {left, right};
    const float* halfIns[2] = {in.left.data(), nullptr};
    float* halfOuts[2] = {nullptr, right};
    engine->processReplacing(nullptr, outs, 4);
    engine->processReplacing(ins, nullptr, 4);
    engine->process(halfIns, outs, 4);
    engine->processReplacing(ins, halfOuts, 4);
    engine->processReplacing(nullptr, nullptr, 0);
    EXPECT_EQ(host.feeds.size(), feedsBefore);  // null pointers: not even the block end runs
    engine->processReplacing(ins, outs, 0);
    engine->process(ins, outs, -5);
    for (float v : left) EXPECT_EQ(v, 7.0f);
    for (float v : right) EXPECT_EQ(v, 7.0f);
    EXPECT_TRUE(sameBits(render(*engine, in, 512), render(*reference, in, 512)));
}

TEST(EngineBadInput, OutOfRangeParametersKeepTheOutputFinite) {
    const StereoSignal in = test::demoSeconds(3.0f);
    const StereoSignal burst = test::demoSeconds(0.5f);
    for (float v : {-1e6f, -1.0f, 2.0f, 1e6f, 3e38f}) {
        Engine engine(nullptr);
        for (int32_t i = 0; i < kNumParams; ++i) engine.setParameter(i, i == kMix ? 1.0f : v);
        engine.mainsOn(44100.0f);
        for (float x : render(engine, burst, 512).left) ASSERT_TRUE(std::isfinite(x)) << v;
        // Back to sane values the engine recovers once the feedback gain has slewed back.
        test::applyPreset(engine, 0);
        const StereoSignal after = render(engine, in, 512);
        for (std::size_t k = 0; k < after.left.size(); ++k) {
            ASSERT_TRUE(std::isfinite(after.left[k])) << v;
            if (k >= 2 * 44100) {
                ASSERT_LT(std::fabs(after.left[k]), 1.0f) << v << " " << k;
            }
        }
    }
}

}  // namespace
}  // namespace brindlet
