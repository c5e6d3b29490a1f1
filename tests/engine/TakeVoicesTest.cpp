// Take recording and voices: replay, crossfade weights and lengths, fades, buffer end,
// interpolation.
#include <gtest/gtest.h>

#include <vector>

#include "engine/EditorFeed.h"
#include "engine/EngineParameters.h"
#include "engine/StereoSample.h"
#include "engine/TakeBuffer.h"
#include "engine/TakeInterpolation.h"
#include "engine/TakeVoices.h"
#include "tests/engine/FakeEngineHost.h"

namespace brindlet {
namespace {

class TakeVoicesTest : public ::testing::Test {
protected:
    static constexpr uint32_t kLength = 88200;
    static constexpr uint32_t kFade = 4410;

    TakeVoicesTest() {
        EXPECT_TRUE(buffer.allocate(kLength));
        voices.setSampleRate(44100.0f, 0.01f, buffer.frames());
        p = EngineParameters().snapshot();
    }
    // One frame with the same input on both channels (plus `left` on the left); returns the
    // left output.
    float frame(float x, float left = 0.0f, float* right = nullptr) {
        auto nextRate = [this] {
            ++rateCalls;
            return rate;
        };
        const StereoSample out = voices.renderFrame(stereo(x + left, x), gate, nextRate, feed);
        if (right != nullptr) *right = out[1];
        voices.endFrame(p, gate);
        return out[0];
    }

    test::FakeEngineHost host;
    EditorFeed feed{&host};
    TakeBuffer buffer;
    TakeVoices voices;
    ParameterSnapshot p;
    float rate = 1.0f;
    float gate = 1.0f;
    int rateCalls = 0;
};

TEST_F(TakeVoicesTest, IdleVoiceIsSilentAndLeavesTheSweepStill) {
    EXPECT_EQ(voices.historyLength(), kLength);
    EXPECT_EQ(voices.writePos(), kLength);  // no recording after sizing
    for (int k = 0; k < 100; ++k) EXPECT_EQ(frame(0.5f), 0.0f);
    EXPECT_EQ(rateCalls, 0);
    EXPECT_TRUE(host.feeds.empty());  // nothing played yet: no idle report
}

TEST_F(TakeVoicesTest, RateOneReplaysTheInputWithoutDelayAfterAWeightedCrossfade) {
    voices.beginTake();
    for (int k = 0; k < 300; ++k) {
        const float x = 0.001f * static_cast<float>(k % 37) - 0.01f;
        const float out = frame(x);
        if (k < 50) {
            // Voice A is idle: the output is voice B weighted k/50.
            ASSERT_EQ(out, static_cast<float>(k) * 0.02f * x) << k;
        } else {
            ASSERT_EQ(out, x) << k;
        }
    }
    EXPECT_EQ(rateCalls, 300);  // the sweep advances once per frame
}

TEST_F(TakeVoicesTest, CrossfadeLengthIsLatchedWhenTheFadeBeforeEnds) {
    p.xfadeSamples = 100;
    p.xfadeStep = 0.01f;
    voices.beginTake();
    for (int k = 0; k < 49; ++k) frame(0.1f);
    EXPECT_TRUE(voices.crossfading());
    frame(0.1f);
    EXPECT_FALSE(voices.crossfading());  // the first fade after sizing lasts 50 frames
    p.xfadeSamples = 1;
    p.xfadeStep = 1.0f;
    voices.beginTake();
    for (int k = 0; k < 99; ++k) frame(0.1f);
    EXPECT_TRUE(voices.crossfading());
    frame(0.1f);
    EXPECT_FALSE(voices.crossfading());
    voices.beginTake();  // now 1 frame: B plays alone from the frame after the take start
    frame(0.1f);
    EXPECT_FALSE(voices.crossfading());
}

TEST_F(TakeVoicesTest, TakeDuringACrossfadeRestartsVoiceBAndTheCount) {
    voices.beginTake();
    for (int k = 0; k < 30; ++k) frame(0.2f);
    voices.beginTake();
    EXPECT_EQ(voices.posB(), 0.0f);
    EXPECT_EQ(voices.writePos(), 0u);
    for (int k = 0; k < 49; ++k) frame(0.2f);
    EXPECT_TRUE(voices.crossfading());
    frame(0.2f);
    EXPECT_FALSE(voices.crossfading());
}

TEST_F(TakeVoicesTest, RateZeroFadesVoiceAOutAndSilencesVoiceBAtOnce) {
    voices.beginTake();
    for (int k = 0; k < 200; ++k) frame(0.5f);
    rate = 0.0f;
    voices.beginTake();
    frame(0.5f);
    EXPECT_EQ(voices.gainB(), 0.0f);
    for (int k = 0; k < 100; ++k) frame(0.5f);  // crossfade over: the stalled take is voice A
    ASSERT_FALSE(voices.crossfading());
    EXPECT_EQ(voices.gainA(), 0.0f);
    // A voice that stalls after playing fades out in 1000 frames (22.7 ms).
    rate = 1.0f;
    voices.beginTake();
    for (int k = 0; k < 2000; ++k) frame(0.5f);
    EXPECT_EQ(voices.gainA(), 1.0f);
    rate = 0.0f;
    for (int k = 0; k < 990; ++k) frame(0.5f);
    EXPECT_GT(voices.gainA(), 0.0f);
    for (int k = 0; k < 20; ++k) frame(0.5f);
    EXPECT_EQ(voices.gainA(), 0.0f);
}

TEST_F(TakeVoicesTest, GateScalesVoiceAAndReopensWhenACrossfadeEnds) {
    voices.beginTake();
    for (int k = 0; k < 100; ++k) frame(0.4f);
    gate = 0.5f;
    EXPECT_FLOAT_EQ(frame(0.4f), 0.2f);
    voices.beginTake();
    for (int k = 0; k < 50; ++k) frame(0.4f);
    EXPECT_EQ(gate, 1.0f);
}

TEST_F(TakeVoicesTest, LongTakeFadesOutAtTheBufferEndThenGoesIdleWithOneReport) {
    voices.beginTake();
    for (uint32_t k = 0; k < kLength + 200; ++k) frame(1.0f);
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
    EXPECT_EQ(host.count(kFeedIdle), 1);
    EXPECT_EQ(host.feeds.back(), (test::Feed{kFeedIdle, 999.0f}));
    EXPECT_EQ(frame(1.0f), 0.0f);
    EXPECT_EQ(host.count(kFeedIdle), 1);
}

TEST_F(TakeVoicesTest, StereoChannelsRecordAndPlaySeparately) {
    voices.beginTake();
    for (int k = 0; k < 100; ++k) {
        float right = 0.0f;
        const float left = frame(0.25f, 0.5f, &right);
        if (k >= 50) {
            ASSERT_EQ(left, 0.75f);
            ASSERT_EQ(right, 0.25f);
        }
    }
}

TEST_F(TakeVoicesTest, HalfRateReadsBetweenSamplesOfTheTake) {
    rate = 0.5f;
    p.xfadeSamples = 1;
    voices.beginTake();
    std::vector<float> out;
    for (int k = 0; k < 400; ++k) out.push_back(frame(0.001f * static_cast<float>(k)));
    // A ramp read at half speed is a ramp of half the slope (the cubic is exact on it).
    for (int k = 100; k < 400; ++k)
        ASSERT_NEAR(out[k], 0.0005f * static_cast<float>(k), 2e-6f) << k;
}

// ---------------------------------------------------------------- Interpolation

class TakeInterpolationTest : public ::testing::Test {
protected:
    TakeInterpolationTest() {
        for (int n = 0; n < 20; ++n) {
            const float v = 0.01f * static_cast<float>(n * n) - 0.5f;
            take[n] = stereo(v, -2.0f * v);
        }
    }
    // The left channel; the right one must always be -2 times it (the cubic is linear in the
    // samples, and scaling by -2 is exact).
    float read(float t, uint32_t writePos = 20, uint32_t head = 20) const {
        const StereoSample v = interpolateTake(take, t, 19.0f, writePos, head);
        EXPECT_EQ(v[1], -2.0f * v[0]) << t;
        return v[0];
    }
    float at(int n) const { return take[n][0]; }
    StereoSample take[22] = {};  // 20 frames and 2 guard frames
};

TEST_F(TakeInterpolationTest, CubicIsExactOnAPolynomialInsideTheTake) {
    for (float t : {1.0f, 2.25f, 5.5f, 9.75f, 17.4f}) {
        EXPECT_NEAR(read(t), 0.01f * t * t - 0.5f, 1e-6f) << t;
    }
    EXPECT_EQ(read(7.0f), at(7));
}

TEST_F(TakeInterpolationTest, LinearAtTheStartAndAtTheNewestSample) {
    EXPECT_FLOAT_EQ(read(0.25f), at(0) + 0.25f * (at(1) - at(0)));
    EXPECT_FLOAT_EQ(read(0.5f), at(0) + 0.5f * (at(1) - at(0)));  // ties round to 0
    // i = 10 with sample 11 the newest written: linear between 10 and 11 (f may be negative).
    EXPECT_FLOAT_EQ(read(9.75f, 11, 11), at(10) - 0.25f * (at(11) - at(10)));
    EXPECT_FLOAT_EQ(read(10.25f, 11, 11), at(10) + 0.25f * (at(11) - at(10)));
}

TEST_F(TakeInterpolationTest, NeverBlendsInASampleTheTakeHasNotWritten) {
    take[11] = stereo(123.0f, -246.0f);  // left over from an older take
    EXPECT_EQ(read(9.75f, 10, 10), at(10));
    EXPECT_EQ(read(10.0f, 10, 10), at(10));
    // A voice of an older take may use it as long as its own head is beyond.
    EXPECT_FLOAT_EQ(read(10.25f, 10, 15), at(10) + 0.25f * (123.0f - at(10)));
}

TEST_F(TakeInterpolationTest, BeyondTheLastSampleIsSilence) {
    EXPECT_EQ(read(19.01f), 0.0f);
    EXPECT_EQ(read(1e9f), 0.0f);
    EXPECT_FLOAT_EQ(read(18.75f), at(19) - 0.25f * (0.0f - at(19)));  // guard frame 0
    EXPECT_FLOAT_EQ(read(19.0f), at(19));
}

}  // namespace
}  // namespace brindlet
