// The pitch sweep: linear and exponential curves, trigger-mode settings, clamping, slew, feeds.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/EditorFeed.h"
#include "engine/EngineMath.h"
#include "engine/EngineParameters.h"
#include "engine/PitchSweep.h"
#include "tests/engine/FakeEngineHost.h"

namespace brindlet {
namespace {

class PitchSweepTest : public ::testing::Test {
protected:
    PitchSweepTest() {
        sweep.setSampleRate(44100.0f);
        p = EngineParameters().snapshot();
    }
    void sweepParams(float start, float end, float decay, float shape) {
        p.pitchStart = start;
        p.pitchEnd = end;
        p.pitchDecay = decay;
        p.pitchShape = shape;
    }
    float next(float env = 0.0f, bool feedEnabled = true) {
        return sweep.nextRate(env, feedEnabled, feed);
    }
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

TEST_F(PitchSweepTest, LinearSweepFallsStepByStepAndHoldsTheEnd) {
    sweepParams(1.0f, 0.5f, 0.05f, 1.0f);  // n = 4410 frames
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    sweep.fireSweep(p);
    const std::vector<float> r = rates(5000);
    const float step = 0.5f / 4410.0f;
    EXPECT_EQ(r[0], 1.0f - step);
    for (int k = 1; k < 4400; ++k) ASSERT_NEAR(r[k - 1] - r[k], step, 1e-6f) << k;
    // Rounding of 4410 float subtractions moves the arrival by a frame or two at most.
    int arrival = 0;
    while (r[arrival] != 0.5f) ++arrival;
    EXPECT_NEAR(arrival, 4409, 2);
    for (int k = arrival; k < 5000; ++k) ASSERT_EQ(r[k], 0.5f) << k;
}

TEST_F(PitchSweepTest, ExponentialSweepKeepsHalfAPercentAfterItsLength) {
    sweepParams(1.0f, 0.5f, 0.05f, 0.0f);
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    sweep.fireSweep(p);
    const float factor = sweep.expFactor();
    EXPECT_EQ(next(), factor * 0.5f + 0.5f);  // just below 1.0
    float r = 0.0f;
    for (int k = 1; k < 4410; ++k) r = next();
    EXPECT_NEAR(r, 0.5025f, 2e-5f);
}

TEST_F(PitchSweepTest, RisingSweepHasANegativeStepAndStopsAtTheEnd) {
    sweepParams(0.25f, 0.75f, 0.01f, 1.0f);  // 882 frames
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    sweep.fireSweep(p);
    const std::vector<float> r = rates(1000);
    EXPECT_GT(r[1], r[0]);
    EXPECT_NEAR(r[440], 0.5f, 1e-3f);
    EXPECT_EQ(r[999], 0.75f);
}

TEST_F(PitchSweepTest, EqualStartAndEndGiveAConstantRatePlusModulation) {
    sweepParams(0.6f, 0.6f, 0.1f, 0.3f);
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    sweep.fireSweep(p);
    for (int k = 0; k < 100; ++k) ASSERT_FLOAT_EQ(next(0.1f), 0.7f);
}

TEST_F(PitchSweepTest, ModesSetTheRateOfATakeBeforeItFires) {
    sweepParams(0.3f, 0.8f, 0.1f, 0.0f);
    sweep.prepareSweep(TriggerMode::NoSlope, p, false);
    EXPECT_FLOAT_EQ(next(0.05f), 0.35f);
    sweep.prepareSweep(TriggerMode::Dry, p, false);
    EXPECT_EQ(next(), 1.0f);
    sweep.prepareSweep(TriggerMode::Mute, p, false);
    EXPECT_EQ(next(0.5f), 0.5f);  // Mute holds 0; the trigger itself clears the modulation
    sweep.prepareSweep(TriggerMode::Mute, p, false);
    EXPECT_EQ(next(), 0.0f);
}

TEST_F(PitchSweepTest, NormalModeRunsOnAndJumpsToAChangedEnd) {
    // Before any take the linear part waits at the default end pitch, the exponential part at 0.
    sweepParams(0.9f, 0.2f, 0.1f, 1.0f);
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    EXPECT_EQ(sweep.sweepValue(), 0.5f);
    EXPECT_FLOAT_EQ(next(), 0.5f - 0.7f / 8820.0f);
    sweep.prepareSweep(TriggerMode::Normal, p, true);  // Pitch/ End was set meanwhile
    EXPECT_EQ(next(), 0.2f);
}

TEST_F(PitchSweepTest, FireMixesValuesOfNowWithValuesLatchedAtTheTakeStart) {
    sweepParams(1.0f, 0.5f, 0.05f, 1.0f);
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    p.pitchStart = 0.9f;  // start taken at the fire, span (0.5) and length (4410) at take start
    sweep.fireSweep(p);
    EXPECT_FLOAT_EQ(next(), 0.9f - 0.5f / 4410.0f);
}

TEST_F(PitchSweepTest, RateIsClampedToZeroAndOne) {
    sweepParams(0.5f, 0.5f, 0.1f, 1.0f);
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    EXPECT_EQ(next(2.0f), 1.0f);
    EXPECT_EQ(sweep.rateRaw(), 1.0f);
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    EXPECT_EQ(next(-2.0f), 0.0f);
}

TEST_F(PitchSweepTest, LateFireIsSlewLimitedToAHundredFramesForAFullJump) {
    sweepParams(1.0f, 1.0f, 0.1f, 1.0f);
    sweep.prepareSweep(TriggerMode::Mute, p, false);
    EXPECT_EQ(next(), 0.0f);  // the take-start frame is not slew-limited
    sweep.fireSweep(p);
    int frames = 0;
    float r = 0.0f;
    while (r < 1.0f && frames < 1000) {
        const float before = r;
        r = next();
        EXPECT_LE(r - before, 0.01f + 1e-7f);
        ++frames;
    }
    EXPECT_NEAR(frames, 100, 1);
    EXPECT_EQ(r, 1.0f);
}

TEST_F(PitchSweepTest, FeedsEveryTenMillisecondsWithAMarkAfterAFire) {
    sweepParams(1.0f, 0.5f, 0.1f, 1.0f);
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    rates(1000);
    EXPECT_EQ(host.count(kFeedSweep), 3);  // frames 0, 441, 882
    EXPECT_EQ(host.fireMarks(), 0);
    sweep.fireSweep(p);
    next();
    ASSERT_EQ(host.count(kFeedSweep), 4);
    EXPECT_EQ(host.feeds.back().value, sweep.rateRaw() + 99.0f);
    rates(440);
    EXPECT_EQ(host.count(kFeedSweep), 4);
    next();
    EXPECT_EQ(host.count(kFeedSweep), 5);
    EXPECT_LT(host.feeds.back().value, 1.0f);
}

TEST_F(PitchSweepTest, PendingMarkWaitsForTheFirstAllowedFeed) {
    sweepParams(1.0f, 0.5f, 0.1f, 1.0f);
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    sweep.fireSweep(p);
    for (int k = 0; k < 1000; ++k) next(0.0f, false);
    EXPECT_TRUE(host.feeds.empty());
    next();
    ASSERT_EQ(host.feeds.size(), 1u);
    EXPECT_GE(host.feeds[0].value, 99.0f);
}

TEST_F(PitchSweepTest, TinyExponentialPartIsFlushedAtTheBlockEnd) {
    sweepParams(1.0f, 0.5f, 0.005f, 0.0f);  // 441 frames
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    sweep.fireSweep(p);
    rates(441 * 4);  // 0.005^4 = 6e-10
    ASSERT_GT(sweep.expState(), 0.0f);
    sweep.endBlock();
    EXPECT_EQ(sweep.expState(), 0.0f);
}

TEST_F(PitchSweepTest, DegenerateLengthsStillGiveRatesWithinZeroAndOne) {
    for (float decay : {0.0f, -0.5f, 1e30f, -1e-30f}) {
        sweepParams(0.9f, 0.2f, decay, 0.5f);
        sweep.prepareSweep(TriggerMode::Normal, p, true);
        sweep.fireSweep(p);
        for (int k = 0; k < 3000; ++k) {
            const float r = next();
            ASSERT_TRUE(r >= 0.0f && r <= 1.0f) << decay << " frame " << k;
        }
        sweep.endBlock();
    }
}

// ---------------------------------------------------------------- Exponential factor

TEST(SweepExpFactor, MatchesExtendedPrecisionForEveryWholeLength) {
    // The factor comes from portable double arithmetic; it must round to the same float as
    // e^(-5.2983/n) evaluated in extended precision for every length the parameters give at
    // common rates (here every whole n from 0.01 s at 8 kHz to 2 s at 96 kHz).
    int mismatches = 0;
    for (int n = 80; n <= 192000; ++n) {
        const auto reference = static_cast<float>(std::exp(-5.2983L / n));
        mismatches += sweepExpFactor(static_cast<float>(n)) != reference;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(sweepExpFactor(0.0f), 0.0f);
    EXPECT_TRUE(std::isinf(sweepExpFactor(-1e-30f)));
}

TEST(SweepExpFactor, PortableExp2AgreesWithTheLibrary) {
    for (double y = -60.0; y <= 60.0; y += 0.0137) {
        const double expected = std::exp2(y);
        ASSERT_NEAR(portableExp2(y), expected, expected * 4e-16) << y;
    }
    EXPECT_EQ(portableExp2(-2000.0), 0.0);
    EXPECT_TRUE(std::isinf(portableExp2(2000.0)));
    EXPECT_TRUE(std::isnan(portableExp2(std::nan(""))));
}

}  // namespace
}  // namespace brindlet
