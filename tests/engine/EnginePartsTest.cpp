// The engine's parts where the golden renders do not reach: a level that reaches Trig/ Level
// exactly, the flush of the sweep's exponential part, sweep values latched at the take start,
// degenerate sweep lengths, the portable exponential, bad parameter values, the Slope Off
// coupling, the take buffer's end, a new sizing and the crossfade weight during a crossfade, and
// reads at the edges of a take. Mappings, read-backs and texts are checked through the built
// module (ModuleParametersTest); the rest of the trigger, sweep and voices is pinned bit for bit
// by the golden tests.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/EditorFeed.h"
#include "engine/Engine.h"
#include "engine/EngineMath.h"
#include "engine/EngineParameters.h"
#include "engine/OnsetTrigger.h"
#include "engine/PitchSweep.h"
#include "engine/StereoSample.h"
#include "engine/TakeBuffer.h"
#include "engine/TakeInterpolation.h"
#include "engine/TakeVoices.h"
#include "tests/engine/FakeEngineHost.h"

namespace brindlet {
namespace {

// A pending onset fires on the frame whose level reaches Trig/ Level, not only beyond it.
TEST(OnsetTrigger, PendingOnsetFiresWhenTheLevelReachesTrigLevel) {
    test::FakeEngineHost host;
    const EditorFeed feed{&host};
    OnsetTrigger trigger;
    trigger.setSampleRate(44100.0f);
    ParameterSnapshot p = EngineParameters().snapshot();
    p.trigLevel = 0.5f;
    auto frame = [&](float level) { return trigger.processFrame(level, -0.5f * level, p, feed); };
    frame(0.0f);
    const TriggerEvents onset = frame(0.4f);
    EXPECT_TRUE(onset.takeStart);
    EXPECT_FALSE(onset.fire);
    EXPECT_TRUE(frame(0.5f).fire);
}

class PitchSweepTest : public ::testing::Test {
protected:
    PitchSweepTest() {
        sweep.setSampleRate(44100.0f);
        p = EngineParameters().snapshot();
    }
    // Sets the sweep (length decay x 2 s) and starts a take, optionally firing it.
    void take(float start, float end, float decay, float shape, bool fire = true) {
        p.pitchStart = start;
        p.pitchEnd = end;
        p.pitchDecay = decay;
        p.pitchShape = shape;
        sweep.prepareSweep(TriggerMode::Normal, p, false);
        if (fire) sweep.fireSweep(p);
    }
    float next() { return sweep.nextRate(0.0f, true, feed); }
    std::vector<float> rates(int frames) {
        std::vector<float> r;
        for (int k = 0; k < frames; ++k) r.push_back(next());
        return r;
    }

    test::FakeEngineHost host;
    EditorFeed feed{&host};
    PitchSweep sweep;
    ParameterSnapshot p;
};

TEST_F(PitchSweepTest, ExponentialSweepKeepsHalfAPercentAfterItsLengthUntilFlushed) {
    take(1.0f, 0.5f, 0.005f, 0.0f);  // 441 frames
    EXPECT_EQ(next(), sweep.expFactor() * 0.5f + 0.5f);
    EXPECT_NEAR(rates(440).back(), 0.5025f, 2e-5f);
    rates(441 * 3);  // 0.005^4 = 6e-10
    ASSERT_GT(sweep.expState(), 0.0f);
    sweep.endBlock();
    EXPECT_EQ(sweep.expState(), 0.0f);
}

TEST_F(PitchSweepTest, FireMixesValuesOfNowWithValuesLatchedAtTheTakeStart) {
    take(1.0f, 0.5f, 0.05f, 1.0f, false);
    p.pitchStart = 0.9f;  // start taken at the fire, span (0.5) and length (4410) at take start
    sweep.fireSweep(p);
    EXPECT_FLOAT_EQ(next(), 0.9f - 0.5f / 4410.0f);
}

TEST_F(PitchSweepTest, DegenerateLengthsStillGiveRatesWithinZeroAndOne) {
    for (float decay : {0.0f, -0.5f, 1e30f, -1e-30f}) {
        p.pitchDecay = decay;
        p.pitchShape = 0.5f;
        sweep.prepareSweep(TriggerMode::Normal, p, true);
        sweep.fireSweep(p);
        for (float r : rates(3000)) ASSERT_TRUE(r >= 0.0f && r <= 1.0f) << decay;
        sweep.endBlock();
    }
}

TEST(SweepExpFactor, MatchesExtendedPrecisionForEveryWholeLength) {
    // Portable double arithmetic must round to the same float as e^(-5.2983/n) in extended
    // precision for every length at common rates (0.01 s at 8 kHz to 2 s at 96 kHz).
    int mismatches = 0;
    for (int n = 80; n <= 192000; ++n) {
        const auto reference = static_cast<float>(std::exp(-5.2983L / n));
        mismatches += sweepExpFactor(static_cast<float>(n)) != reference;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(sweepExpFactor(0.0f), 0.0f);
    EXPECT_TRUE(std::isinf(sweepExpFactor(-1e-30f)));
    for (double y = -60.0; y <= 60.0; y += 0.0137) {
        ASSERT_NEAR(portableExp2(y), std::exp2(y), std::exp2(y) * 4e-16) << y;
    }
    EXPECT_EQ(portableExp2(-2000.0), 0.0);
    EXPECT_TRUE(std::isinf(portableExp2(2000.0)));
    EXPECT_TRUE(std::isnan(portableExp2(std::nan(""))));
}

TEST(ParameterMapping, BadValuesChangeNothingAndResetKeepsTheRawFeedback) {
    EngineParameters p;
    p.set(kMix, 0.25f, nullptr);
    p.set(kMix, std::numeric_limits<float>::quiet_NaN(), nullptr);
    p.set(kMix, std::numeric_limits<float>::infinity(), nullptr);
    p.set(14, 0.9f, nullptr);
    p.set(-1, 0.9f, nullptr);
    EXPECT_EQ(p.get(kMix), 0.25f);
    EXPECT_EQ(p.get(14), 0.0f);
    EXPECT_EQ(p.get(-1), 0.0f);

    for (int32_t i = 0; i < kNumParams; ++i) p.set(i, 0.77f, nullptr);
    p.resetToDefaults();
    const EngineParameters fresh;
    for (int32_t i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(p.get(i), i == kFeedback ? 0.77f : fresh.get(i)) << i;
    }
    EXPECT_EQ(p.snapshot().feedbackAmount, 0.0f);  // the gain itself is back at its default
    EXPECT_EQ(p.feedbackTarget().load(), 0.0f);
}

TEST(SlopeOff, StartFollowsEndWhileOnAndSettingStartTurnsItOff) {
    EngineParameters p;
    p.set(kPitchStart, 0.9f, nullptr);
    p.set(kPitchEnd, 0.2f, nullptr);
    p.set(kSlopeOff, 1.0f, nullptr);
    EXPECT_EQ(p.get(kPitchStart), 0.2f);
    p.set(kPitchEnd, 0.6f, nullptr);
    EXPECT_EQ(p.get(kPitchStart), 0.6f);
    p.set(kSlopeOff, 0.0f, nullptr);
    p.set(kPitchEnd, 0.1f, nullptr);
    EXPECT_EQ(p.get(kPitchStart), 0.6f);

    for (bool editor : {true, false}) {
        test::FakeEngineHost host;
        host.editor = editor;
        Engine engine(&host);
        engine.setParameter(kSlopeOff, 1.0f);
        engine.setParameter(kPitchStart, 0.8f);
        engine.setParameter(kPitchStart, 0.7f);  // already off: no second notice
        EXPECT_EQ(engine.getParameter(kSlopeOff), 0.0f);
        EXPECT_EQ(engine.getParameter(kPitchStart), 0.7f);
        EXPECT_EQ(host.feeds.size(), editor ? 1u : 0u);
        if (editor) {
            EXPECT_EQ(host.feeds[0], (test::Feed{kSlopeOff, 0.0f}));
        }
    }
}

class TakeVoicesTest : public ::testing::Test {
protected:
    static constexpr uint32_t kLength = 88200;
    static constexpr uint32_t kFade = 4410;

    TakeVoicesTest() {
        EXPECT_TRUE(buffer.allocate(kLength));
        voices.setSampleRate(44100.0f, 0.01f, buffer.frames());
        p = EngineParameters().snapshot();
    }
    // One frame of input x at rate 1; returns the output.
    StereoSample frame(float x) {
        const StereoSample out = voices.renderFrame(
            stereo(x, x), gate, [] { return 1.0f; }, feed);
        voices.endFrame(p, gate);
        return out;
    }
    void run(float x, int frames) {
        for (int k = 0; k < frames; ++k) frame(x);
    }

    test::FakeEngineHost host;
    EditorFeed feed{&host};
    TakeBuffer buffer;
    TakeVoices voices;
    ParameterSnapshot p;
    float gate = 1.0f;
};

TEST_F(TakeVoicesTest, LongTakeFadesOutAtTheBufferEndThenGoesIdleWithOneReport) {
    voices.beginTake();
    run(1.0f, kLength + 200);
    const StereoSample* take = voices.buffer();
    const uint32_t fadeStart = kLength - kFade;
    EXPECT_EQ(take[fadeStart - 1][0], 1.0f);
    EXPECT_EQ(take[fadeStart][0], 1.0f);  // (88200 - 83790) / 4410
    EXPECT_FLOAT_EQ(take[fadeStart + 2205][0], 0.5f);
    EXPECT_EQ(take[kLength - 1][0], 1.0f / 4410.0f);
    EXPECT_EQ(take[kLength - 1][1], 1.0f / 4410.0f);
    EXPECT_EQ(take[kLength][0], 0.0f);  // guard frames are never written
    EXPECT_EQ(take[kLength + 1][1], 0.0f);
    EXPECT_EQ(voices.writePos(), kLength);
    EXPECT_EQ(host.feeds, (std::vector<test::Feed>{{kFeedIdle, 999.0f}}));
    EXPECT_EQ(frame(1.0f)[0], 0.0f);
    EXPECT_EQ(host.count(kFeedIdle), 1);
}

TEST_F(TakeVoicesTest, CrossfadeWeightFollowsTheLatchedCountAlone) {
    // A snapshot may pair a new X-Fade count with the step of the old one: only the count counts.
    p.xfadeSamples = 400;
    voices.beginTake();
    run(0.1f, 50);                         // ends the first crossfade, which latches 400
    run(0.1f, static_cast<int>(kLength));  // voice A plays out: only voice B sounds below
    voices.beginTake();
    for (int k = 0; k < 400; ++k) {
        ASSERT_FLOAT_EQ(frame(0.1f)[1], static_cast<float>(k) * (1.0f / 400.0f) * 0.1f) << k;
    }
}

TEST_F(TakeVoicesTest, NewSizingDuringACrossfadeEndsItAndStopsAllRecording) {
    voices.beginTake();
    run(0.1f, 20);
    TakeBuffer resized;
    ASSERT_TRUE(resized.allocate(96000));
    voices.setSampleRate(48000.0f, 0.01f, resized.frames());
    EXPECT_FALSE(voices.crossfading());
    for (int k = 0; k < 2000; ++k) ASSERT_EQ(frame(0.1f)[0], 0.0f) << k;  // until the next take
    for (uint32_t n = 0; n < 96000; ++n) ASSERT_EQ(resized.frames()[n][0], 0.0f) << n;
}

TEST(TakeInterpolation, CubicInsideLinearAtTheEdgesAndNothingUnwrittenOrBeyond) {
    StereoSample take[22] = {};  // 20 frames of a parabola and 2 guard frames
    auto at = [&take](int n) { return take[n][0]; };
    for (int n = 0; n < 20; ++n) {
        const float v = 0.01f * static_cast<float>(n * n) - 0.5f;
        take[n] = stereo(v, -2.0f * v);
    }
    take[11] = stereo(123.0f, -246.0f);  // left over from an older take
    auto parabola = [](float t) { return 0.01f * t * t - 0.5f; };
    const struct {
        float t;
        uint32_t writePos, head;
        float expected;
    } cases[] = {
        // The cubic is exact on the parabola where it reads four written samples.
        {1.0f, 20, 20, parabola(1.0f)},
        {2.25f, 20, 20, parabola(2.25f)},
        {5.5f, 20, 20, parabola(5.5f)},
        {14.75f, 20, 20, parabola(14.75f)},
        {17.4f, 20, 20, parabola(17.4f)},
        {7.0f, 20, 20, at(7)},
        // Linear at the start and towards the newest sample (f may be negative).
        {0.25f, 20, 20, at(0) + 0.25f * (at(1) - at(0))},
        {0.5f, 20, 20, at(0) + 0.5f * (at(1) - at(0))},  // ties round to 0
        {9.75f, 11, 11, at(10) - 0.25f * (at(11) - at(10))},
        {10.25f, 11, 11, at(10) + 0.25f * (at(11) - at(10))},
        // Sample 11 is not written by this take: held at 10, unless the reading voice's own
        // head is beyond it.
        {9.75f, 10, 10, at(10)},
        {10.0f, 10, 10, at(10)},
        {10.25f, 10, 15, at(10) + 0.25f * (at(11) - at(10))},
        // Towards the guard frame, and beyond the last sample.
        {18.75f, 20, 20, at(19) - 0.25f * (0.0f - at(19))},
        {19.0f, 20, 20, at(19)},
        {19.01f, 20, 20, 0.0f},
        {1e9f, 20, 20, 0.0f},
        // A position that went NaN reads silence rather than an index made from it.
        {std::numeric_limits<float>::quiet_NaN(), 20, 20, 0.0f},
    };
    for (const auto& c : cases) {
        const StereoSample v = interpolateTake(take, c.t, 19.0f, c.writePos, c.head);
        EXPECT_NEAR(v[0], c.expected, 1e-6f * (1.0f + std::fabs(c.expected))) << c.t;
        EXPECT_EQ(v[1], -2.0f * v[0]) << c.t;  // the cubic is linear in the samples
    }
}

}  // namespace
}  // namespace brindlet
