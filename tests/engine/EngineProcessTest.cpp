// The frame loop as a whole: both process calls, in place, block sizes, mix, sizing, bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/Engine.h"
#include "engine/EngineMath.h"
#include "engine/StereoSample.h"
#include "tests/engine/EngineRender.h"
#include "tests/engine/FakeEngineHost.h"

namespace brindlet {
namespace {

using test::applyPreset;
using test::render;

constexpr int kSweepPreset = 7;    // rising sweep, strong feedback, No Slope takes
constexpr int kDjDecksPreset = 3;  // level modulation and gate

TEST(EngineProcess, ProcessAddsExactlyWhatProcessReplacingWrites) {
    const StereoSignal in = test::demoSeconds(1.0f);
    Engine replacing(nullptr), adding(nullptr);
    for (Engine* e : {&replacing, &adding}) applyPreset(*e, kSweepPreset), e->mainsOn(44100.0f);
    const StereoSignal a = render(replacing, in, 512);
    const StereoSignal b = render(adding, in, 512, true, 0.25f);
    for (std::size_t k = 0; k < in.left.size(); ++k) {
        ASSERT_EQ(b.left[k], 0.25f + a.left[k]) << k;
        ASSERT_EQ(b.right[k], 0.25f + a.right[k]) << k;
    }
}

TEST(EngineProcess, InPlaceProcessingGivesTheSameOutput) {
    const StereoSignal in = test::demoSeconds(1.0f);
    Engine separate(nullptr), inPlace(nullptr);
    for (Engine* e : {&separate, &inPlace}) applyPreset(*e, kSweepPreset), e->mainsOn(44100.0f);
    const StereoSignal expected = render(separate, in, 256);
    StereoSignal buffer = in;
    for (std::size_t start = 0; start < in.left.size(); start += 256) {
        const auto n = static_cast<int32_t>(std::min<std::size_t>(256, in.left.size() - start));
        float* io[2] = {buffer.left.data() + start, buffer.right.data() + start};
        inPlace.processReplacing(io, io, n);
    }
    EXPECT_TRUE(test::sameBits(buffer, expected));
}

TEST(EngineProcess, BlockSizeDoesNotChangeTheOutput) {
    const StereoSignal in = test::demoSeconds(1.5f);
    for (int preset : {kSweepPreset, kDjDecksPreset}) {
        Engine reference(nullptr);
        applyPreset(reference, preset);
        reference.mainsOn(44100.0f);
        const StereoSignal expected = render(reference, in, 512);
        for (int32_t block : {1, 3, 64, 1000}) {
            test::FakeEngineHost host;  // feeds on: they must not change the audio either
            Engine engine(&host);
            applyPreset(engine, preset);
            engine.mainsOn(44100.0f);
            EXPECT_TRUE(test::sameBits(render(engine, in, block), expected))
                << "preset " << preset << " block " << block;
        }
    }
}

TEST(EngineProcess, SettledMixZeroPassesTheInputAndMixOneOnlyTheVoice) {
    const StereoSignal in = test::demoSeconds(0.5f);
    Engine engine(nullptr);
    engine.setParameter(kMix, 0.0f);
    engine.mainsOn(44100.0f);
    const StereoSignal out = render(engine, in, 128);
    for (std::size_t k = 100; k < in.left.size(); ++k) ASSERT_EQ(out.left[k], in.left[k]) << k;
    // Mix 1 with a take that stands still (Mute mode, Trig/ Level out of reach): silence.
    Engine muted(nullptr);
    muted.setParameter(kTrigMode, 1.0f);
    muted.setParameter(kTrigLevel, 1.0f);
    muted.mainsOn(44100.0f);
    const StereoSignal quiet = render(muted, in, 128);
    for (std::size_t k = 0; k < in.left.size(); ++k) ASSERT_EQ(quiet.left[k], 0.0f) << k;
}

TEST(EngineProcess, MixChangesAreSlewLimited) {
    const StereoSignal in{std::vector<float>(300, 0.5f), std::vector<float>(300, 0.5f)};
    Engine engine(nullptr);
    engine.setParameter(kTrigMode, 1.0f);  // Mute: the voice adds nothing
    engine.setParameter(kTrigLevel, 1.0f);
    engine.mainsOn(44100.0f);
    engine.setParameter(kMix, 0.0f);
    const StereoSignal out = render(engine, in, 300);
    EXPECT_NEAR(out.left[0], 0.5f * 0.01f, 1e-7f);  // the dry share grows by 0.01 per frame
    EXPECT_NEAR(out.left[49], 0.5f * 0.5f, 1e-6f);
    EXPECT_EQ(out.left[299], 0.5f);
}

TEST(EngineProcess, SilenceAfterASoundEndsInExactZerosWithoutDenormals) {
    StereoSignal in = test::demoSeconds(1.0f);
    in.left.resize(5 * 44100, 0.0f);
    in.right.resize(5 * 44100, 0.0f);
    for (int preset = 0; preset < kNumFactoryPresets; ++preset) {
        Engine engine(nullptr);
        applyPreset(engine, preset);
        engine.mainsOn(44100.0f);
        const StereoSignal out = render(engine, in, 512);
        for (std::size_t k = 0; k < out.left.size(); ++k) {
            ASSERT_NE(std::fpclassify(out.left[k]), FP_SUBNORMAL) << preset << " " << k;
            ASSERT_NE(std::fpclassify(out.right[k]), FP_SUBNORMAL) << preset << " " << k;
        }
        for (std::size_t k = 4 * 44100; k < out.left.size(); ++k) {
            ASSERT_EQ(out.left[k], 0.0f) << preset << " " << k;
        }
    }
}

TEST(EngineProcess, IdleReportIsSentOncePerSilence) {
    test::FakeEngineHost host;
    Engine engine(&host);
    engine.mainsOn(44100.0f);
    const StereoSignal quiet = test::silence(64);
    for (int i = 0; i < 5; ++i) render(engine, quiet, 64);
    EXPECT_EQ(host.count(kFeedIdle), 1);
}

TEST(EngineProcess, ResetAfterProcessingSoundsLikeAFreshEngine) {
    const StereoSignal in = test::demoSeconds(1.0f);
    Engine used(nullptr), fresh(nullptr);
    applyPreset(used, kSweepPreset);
    used.mainsOn(44100.0f);
    render(used, in, 512);
    used.resetToDefaults();  // keeps the sizing; old takes stay in memory but are never read
    fresh.mainsOn(44100.0f);
    EXPECT_TRUE(test::sameBits(render(used, in, 512), render(fresh, in, 512)));
}

// The last sweep rate the editor was sent.
float lastSweepFeed(const test::FakeEngineHost& host) {
    for (auto f = host.feeds.rbegin(); f != host.feeds.rend(); ++f) {
        if (f->index == kFeedSweep) return f->value;
    }
    return -1.0f;
}

TEST(EngineProcess, SelectingNormalWhileAnOnsetWaitsMovesTheTakeToPitchEnd) {
    for (bool pending : {true, false}) {
        test::FakeEngineHost host;
        Engine engine(&host);
        engine.setParameter(kPitchStart, 0.2f);
        engine.setParameter(kPitchEnd, 0.8f);
        engine.setParameter(kTrigMode, 0.4f);                    // No Slope
        engine.setParameter(kTrigLevel, pending ? 0.9f : 0.3f);  // out of reach, or not
        engine.mainsOn(44100.0f);
        StereoSignal in{std::vector<float>(2000, 0.01f), std::vector<float>(2000, 0.01f)};
        std::fill(in.left.begin() + 1000, in.left.end(), 0.5f);  // an onset at frame 1000
        render(engine, in, 2000);
        const float before = lastSweepFeed(host);
        engine.setParameter(kTrigMode, 0.0f);  // Normal
        render(engine, StereoSignal{std::vector<float>(900, 0.5f), std::vector<float>(900, 0.5f)},
               900);
        if (pending) {
            EXPECT_FLOAT_EQ(before, 0.2f);  // held at Pitch/ Start until the fire
            EXPECT_FLOAT_EQ(lastSweepFeed(host), 0.8f);
        } else {
            // A fired sweep runs on from Pitch/ Start towards Pitch/ End, undisturbed.
            EXPECT_GT(lastSweepFeed(host), before);
            EXPECT_LT(lastSweepFeed(host), 0.5f);
        }
    }
}

// ---------------------------------------------------------------- Sizing

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

TEST(EngineSizing, UnusableRatesAreIgnored) {
    const StereoSignal in = test::demoSeconds(0.5f);
    Engine engine(nullptr);
    for (float rate : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity(), 999.0f, 2e6f, 1e30f}) {
        engine.mainsOn(rate);
    }
    const StereoSignal dry = render(engine, in, 512);
    for (float v : dry.left) ASSERT_EQ(v, 0.0f);  // mix 1: the dry share is nothing
    engine.mainsOn(44100.0f);
    Engine reference(nullptr);
    reference.mainsOn(44100.0f);
    const StereoSignal expected = render(reference, in, 512);
    engine.mainsOn(std::numeric_limits<float>::quiet_NaN());  // keeps the sizing and the voices
    engine.mainsOn(0.0f);
    EXPECT_TRUE(test::sameBits(render(engine, in, 512), expected));
}

TEST(EngineSizing, ExtremeButUsableRatesRun) {
    for (float rate : {1000.0f, 8000.0f, 192000.0f, 1000000.0f}) {
        Engine engine(nullptr);
        applyPreset(engine, 0);
        engine.mainsOn(rate);
        const StereoSignal out = render(engine, test::demoSeconds(0.5f), 4096);
        for (float v : out.left) ASSERT_TRUE(std::isfinite(v)) << rate;
    }
}

TEST(EngineSizing, SameRateKeepsThePlayingVoiceAndANewRateStopsIt) {
    const StereoSignal in = test::demoSeconds(0.5f);
    const StereoSignal quiet = test::silence(4410);
    Engine continuous(nullptr), again(nullptr), changed(nullptr);
    for (Engine* e : {&continuous, &again, &changed}) e->mainsOn(44100.0f), render(*e, in, 512);
    again.mainsOn(44100.0f);
    changed.mainsOn(48000.0f);
    const StereoSignal expected = render(continuous, quiet, 512);
    EXPECT_TRUE(test::sameBits(render(again, quiet, 512), expected));
    const StereoSignal stopped = render(changed, quiet, 512);
    float loudest = 0.0f;
    for (float v : expected.left) loudest = std::fmax(loudest, std::fabs(v));
    EXPECT_GT(loudest, 0.01f);  // the take went on playing into the silence...
    for (float v : stopped.left) ASSERT_EQ(v, 0.0f);  // ...but not after a new rate
}

// ---------------------------------------------------------------- Bad input

TEST(EngineBadInput, NonFiniteSamplesCountAsSilence) {
    const StereoSignal in = test::demoSeconds(1.0f);
    StereoSignal spoiled = in, zeroed = in;
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (std::size_t k = 10000; k < 10300; ++k) {
        spoiled.left[k] = bad[k % 3];
        spoiled.right[k] = bad[(k + 1) % 3];
        zeroed.left[k] = zeroed.right[k] = 0.0f;
    }
    for (int preset : {0, kSweepPreset}) {
        Engine a(nullptr), b(nullptr);
        for (Engine* e : {&a, &b}) applyPreset(*e, preset), e->mainsOn(44100.0f);
        EXPECT_TRUE(test::sameBits(render(a, spoiled, 512), render(b, zeroed, 512))) << preset;
    }
}

TEST(EngineBadInput, MissingChannelsOrEmptyBlocksTouchNothing) {
    const StereoSignal in = test::demoSeconds(0.3f);
    test::FakeEngineHost host;
    Engine engine(&host), reference(nullptr);
    for (Engine* e : {&engine, &reference}) applyPreset(*e, 0), e->mainsOn(44100.0f);
    render(engine, in, 512);
    render(reference, in, 512);
    const std::size_t feedsBefore = host.feeds.size();

    float left[4] = {7, 7, 7, 7}, right[4] = {7, 7, 7, 7};
    const float* ins[2] = {in.left.data(), in.right.data()};
    float* outs[2] = {left, right};
    const float* halfIns[2] = {in.left.data(), nullptr};
    float* halfOuts[2] = {nullptr, right};
    engine.processReplacing(nullptr, outs, 4);
    engine.processReplacing(ins, nullptr, 4);
    engine.process(halfIns, outs, 4);
    engine.processReplacing(ins, halfOuts, 4);
    engine.processReplacing(nullptr, nullptr, 0);
    EXPECT_EQ(host.feeds.size(), feedsBefore);  // null pointers: not even the block end runs
    engine.processReplacing(ins, outs, 0);
    engine.process(ins, outs, -5);
    for (float v : left) EXPECT_EQ(v, 7.0f);
    for (float v : right) EXPECT_EQ(v, 7.0f);
    EXPECT_TRUE(test::sameBits(render(engine, in, 512), render(reference, in, 512)));
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
        applyPreset(engine, 0);
        const StereoSignal after = render(engine, in, 512);
        for (float x : after.left) ASSERT_TRUE(std::isfinite(x)) << v;
        for (std::size_t k = 2 * 44100; k < after.left.size(); ++k) {
            ASSERT_LT(std::fabs(after.left[k]), 1.0f) << v << " " << k;
        }
    }
}

// ---------------------------------------------------------------- Signal helpers

// Both lanes of a stereo step must give what the scalar formula gives.
float shape(float v) {
    const StereoSample out = shapeFeedback(stereo(v, -v));
    EXPECT_EQ(out[1], -out[0]) << v;
    return out[0];
}

TEST(SignalHelpers, FeedbackShapeIsLinearUpToHalfThenSoftlyLimited) {
    EXPECT_EQ(shape(0.3f), 0.3f);
    EXPECT_EQ(shape(-0.3f), -0.3f);
    EXPECT_EQ(shape(0.5f), 0.5f);
    EXPECT_NEAR(shape(0.5001f), 0.5f, 1e-4f);  // continuous at the knee
    EXPECT_EQ(shape(1.0f), 1.0f * 1.0f * 0.13333334f + 0.46666667f);
    EXPECT_FLOAT_EQ(0.9f * shape(1.0f), 0.54f);  // 0.9 feedback of a full-scale voice
    EXPECT_FLOAT_EQ(shape(2.0f), 1.0f);
    EXPECT_EQ(shape(3.0f), shape(2.0f));  // 3.0 is fed back as 1.0
    EXPECT_EQ(shape(1e30f), shape(2.0f));
    for (float v = -3.0f; v <= 3.0f; v += 0.01f) {
        const float y = v > 2.0f ? 2.0f : (v < -2.0f ? -2.0f : v);
        const float q = y * y * 0.13333334f + 0.46666667f;
        ASSERT_EQ(shape(v), y > 0.5f ? q : (y < -0.5f ? -q : y)) << v;
    }
}

TEST(SignalHelpers, TinyAndNonFiniteValuesAreFlushed) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(flushTiny(9e-9f), 0.0f);
    EXPECT_EQ(flushTiny(nan), 0.0f);
    StereoSample v = flushTiny(stereo(-9e-9f, 1e-7f));
    EXPECT_EQ(v[0], 0.0f);
    EXPECT_EQ(v[1], 1e-7f);
    v = flushTiny(stereo(nan, -1e-8f));
    EXPECT_EQ(v[0], 0.0f);
    EXPECT_EQ(v[1], -1e-8f);
    v = finiteOrZero(stereo(inf, 1e-40f));
    EXPECT_EQ(v[0], 0.0f);
    EXPECT_EQ(v[1], 1e-40f);  // denormals are finite and pass
    v = finiteOrZero(stereo(-0.25f, nan));
    EXPECT_EQ(v[0], -0.25f);
    EXPECT_EQ(v[1], 0.0f);
}

}  // namespace
}  // namespace brindlet
