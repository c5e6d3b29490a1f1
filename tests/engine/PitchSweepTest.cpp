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
    // Sets the sweep (length decay x 2 s) and starts a take in `mode`, optionally firing it.
    void take(float start, float end, float decay, float shape, bool fire = true,
              TriggerMode mode = TriggerMode::Normal) {
        p.pitchStart = start;
        p.pitchEnd = end;
        p.pitchDecay = decay;
        p.pitchShape = shape;
        sweep.prepareSweep(mode, p, false);
        if (fire) sweep.fireSweep(p);
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

TEST_F(PitchSweepTest, LinearSweepMovesStepByStepAndHoldsTheEnd) {
    const struct {
        float start, end, decay;
        int frames;
    } cases[] = {{1.0f, 0.5f, 0.05f, 4410}, {0.25f, 0.75f, 0.01f, 882}};
    for (const auto& c : cases) {
        take(c.start, c.end, c.decay, 1.0f);
        const std::vector<float> r = rates(c.frames + 500);
        const float step = (c.start - c.end) / static_cast<float>(c.frames);
        EXPECT_FLOAT_EQ(r[0], c.start - step);
        for (int k = 1; k < c.frames - 10; ++k) ASSERT_NEAR(r[k - 1] - r[k], step, 1e-6f) << k;
        // Rounding of the float subtractions moves the arrival by a frame or two at most.
        int arrival = 0;
        while (r[arrival] != c.end) ++arrival;
        EXPECT_NEAR(arrival, c.frames - 1, 2) << c.start;
        for (std::size_t k = arrival; k < r.size(); ++k) ASSERT_EQ(r[k], c.end) << k;
    }
}

TEST_F(PitchSweepTest, ExponentialSweepKeepsHalfAPercentAfterItsLengthUntilFlushed) {
    take(1.0f, 0.5f, 0.005f, 0.0f);  // 441 frames
    EXPECT_EQ(next(), sweep.expFactor() * 0.5f + 0.5f);
    EXPECT_NEAR(rates(440).back(), 0.5025f, 2e-5f);
    rates(441 * 3);  // 0.005^4 = 6e-10
    ASSERT_GT(sweep.expState(), 0.0f);
    sweep.endBlock();
    EXPECT_EQ(sweep.expState(), 0.0f);
}

TEST_F(PitchSweepTest, RateIsTheSweepPlusModulationClampedToZeroAndOne) {
    take(0.6f, 0.6f, 0.1f, 0.3f);
    for (int k = 0; k < 100; ++k) ASSERT_FLOAT_EQ(next(0.1f), 0.7f);
    sweep.prepareSweep(TriggerMode::Normal, p, false);  // a take start jumps without slew
    EXPECT_EQ(next(2.0f), 1.0f);
    EXPECT_EQ(sweep.rateRaw(), 1.0f);
    sweep.prepareSweep(TriggerMode::Normal, p, false);
    EXPECT_EQ(next(-2.0f), 0.0f);
}

TEST_F(PitchSweepTest, ModesSetTheRateOfATakeBeforeItFires) {
    take(0.3f, 0.8f, 0.1f, 0.0f, false, TriggerMode::NoSlope);
    EXPECT_FLOAT_EQ(next(0.05f), 0.35f);  // Pitch/ Start plus the modulation
    sweep.prepareSweep(TriggerMode::Dry, p, false);
    EXPECT_EQ(next(), 1.0f);
    sweep.prepareSweep(TriggerMode::Mute, p, false);
    EXPECT_EQ(next(0.5f), 0.5f);  // Mute holds 0; the trigger itself clears the modulation
    sweep.prepareSweep(TriggerMode::Mute, p, false);
    EXPECT_EQ(next(), 0.0f);
}

TEST_F(PitchSweepTest, NormalModeRunsOnAndJumpsToAChangedEnd) {
    // Before any fire the linear part waits at the default end pitch, the exponential part at 0.
    take(0.9f, 0.2f, 0.1f, 1.0f, false);
    EXPECT_EQ(sweep.sweepValue(), 0.5f);
    EXPECT_FLOAT_EQ(next(), 0.5f - 0.7f / 8820.0f);
    sweep.prepareSweep(TriggerMode::Normal, p, true);  // Pitch/ End was set meanwhile
    EXPECT_EQ(next(), 0.2f);
}

TEST_F(PitchSweepTest, FireMixesValuesOfNowWithValuesLatchedAtTheTakeStart) {
    take(1.0f, 0.5f, 0.05f, 1.0f, false);
    p.pitchStart = 0.9f;  // start taken at the fire, span (0.5) and length (4410) at take start
    sweep.fireSweep(p);
    EXPECT_FLOAT_EQ(next(), 0.9f - 0.5f / 4410.0f);
}

TEST_F(PitchSweepTest, LateFireIsSlewLimitedToAHundredFramesForAFullJump) {
    take(1.0f, 1.0f, 0.1f, 1.0f, false, TriggerMode::Mute);
    EXPECT_EQ(next(), 0.0f);  // the take-start frame is not slew-limited
    sweep.fireSweep(p);
    int frames = 0;
    for (float r = 0.0f; r < 1.0f && frames < 1000; ++frames) {
        const float before = r;
        r = next();
        ASSERT_LE(r - before, 0.01f + 1e-7f);
    }
    EXPECT_NEAR(frames, 100, 1);
}

TEST_F(PitchSweepTest, FeedsEveryTenMillisecondsAndMarksAFireAtTheFirstAllowedFeed) {
    take(1.0f, 0.5f, 0.1f, 1.0f, false);
    rates(1000);
    EXPECT_EQ(host.count(kFeedSweep), 3);  // frames 0, 441, 882
    sweep.fireSweep(p);
    for (int k = 0; k < 1000; ++k) next(0.0f, false);  // feeds paused: the mark waits
    EXPECT_EQ(host.count(kFeedSweep), 3);
    EXPECT_EQ(host.fireMarks(), 0);
    sweep.endBlock();  // the permission changes only between blocks
    next();
    ASSERT_EQ(host.count(kFeedSweep), 4);
    EXPECT_EQ(host.feeds.back().value, sweep.rateRaw() + 99.0f);
    rates(440);
    EXPECT_EQ(host.count(kFeedSweep), 4);
    next();
    EXPECT_EQ(host.count(kFeedSweep), 5);
    EXPECT_LT(host.feeds.back().value, 1.0f);
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

}  // namespace
}  // namespace brindlet
