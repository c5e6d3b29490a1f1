// Take recording and voices: replay, crossfade weights and lengths, fades, buffer end,
// interpolation.
#include <gtest/gtest.h>

#include <cmath>
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
    // One frame of input x on the right and x + left on the left; returns the output.
    StereoSample frame(float x, float left = 0.0f) {
        auto nextRate = [this] {
            ++rateCalls;
            return rate;
        };
        const StereoSample out = voices.renderFrame(stereo(x + left, x), gate, nextRate, feed);
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
    float rate = 1.0f;
    float gate = 1.0f;
    int rateCalls = 0;
};

TEST_F(TakeVoicesTest, TakeAtRateOneReplaysBothChannelsAfterAWeightedCrossfade) {
    EXPECT_EQ(voices.writePos(), kLength);  // no recording after sizing: silent and still
    for (int k = 0; k < 100; ++k) ASSERT_EQ(frame(0.5f)[0], 0.0f);
    EXPECT_EQ(rateCalls, 0);
    EXPECT_TRUE(host.feeds.empty());  // nothing played yet: no idle report
    voices.beginTake();
    for (int k = 0; k < 300; ++k) {
        const float x = 0.001f * static_cast<float>(k % 37) - 0.01f;
        const StereoSample out = frame(x, 0.5f);
        // Voice A is idle: during the 50-frame crossfade the output is voice B weighted k/50.
        const float weight = k < 50 ? static_cast<float>(k) * 0.02f : 1.0f;
        ASSERT_EQ(out[0], weight * (x + 0.5f)) << k;
        ASSERT_EQ(out[1], weight * x) << k;
    }
    EXPECT_EQ(rateCalls, 300);  // the sweep advances once per frame
}

TEST_F(TakeVoicesTest, CrossfadeLengthIsLatchedWhenTheFadeBeforeEndsAndATakeRestartsIt) {
    const struct {
        int32_t samples;  // X-Fade set while the take below runs
        int frames;       // its crossfade's length
    } takes[] = {{100, 50}, {1, 100}, {1, 1}};
    for (const auto& t : takes) {
        p.xfadeSamples = t.samples;
        voices.beginTake();
        if (t.frames > 30) {  // a take during a crossfade restarts voice B and the count
            run(0.1f, 30);
            voices.beginTake();
            EXPECT_EQ(voices.posB(), 0.0f);
        }
        run(0.1f, t.frames - 1);
        EXPECT_TRUE(voices.crossfading());
        frame(0.1f);
        EXPECT_FALSE(voices.crossfading());
    }
}

TEST_F(TakeVoicesTest, RateZeroSilencesVoiceBAtOnceAndFadesVoiceAOut) {
    voices.beginTake();
    run(0.5f, 200);
    rate = 0.0f;
    voices.beginTake();
    frame(0.5f);
    EXPECT_EQ(voices.gainB(), 0.0f);
    run(0.5f, 100);  // crossfade over: the stalled take is voice A
    ASSERT_FALSE(voices.crossfading());
    EXPECT_EQ(voices.gainA(), 0.0f);
    // A voice that stalls after playing fades out in 1000 frames (22.7 ms).
    rate = 1.0f;
    voices.beginTake();
    run(0.5f, 2000);
    EXPECT_EQ(voices.gainA(), 1.0f);
    rate = 0.0f;
    run(0.5f, 990);
    EXPECT_GT(voices.gainA(), 0.0f);
    run(0.5f, 20);
    EXPECT_EQ(voices.gainA(), 0.0f);
}

TEST_F(TakeVoicesTest, GateScalesVoiceAAndReopensWhenACrossfadeEnds) {
    voices.beginTake();
    run(0.4f, 100);
    gate = 0.5f;
    EXPECT_FLOAT_EQ(frame(0.4f)[0], 0.2f);
    voices.beginTake();
    run(0.4f, 50);
    EXPECT_EQ(gate, 1.0f);
}

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

TEST_F(TakeVoicesTest, HalfRateReadsBetweenSamplesOfTheTake) {
    rate = 0.5f;
    p.xfadeSamples = 1;
    voices.beginTake();
    std::vector<float> out;
    for (int k = 0; k < 400; ++k) out.push_back(frame(0.001f * static_cast<float>(k))[0]);
    // A ramp read at half speed is a ramp of half the slope (the cubic is exact on it).
    for (int k = 100; k < 400; ++k) {
        ASSERT_NEAR(out[k], 0.0005f * static_cast<float>(k), 2e-6f) << k;
    }
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
    };
    for (const auto& c : cases) {
        const StereoSample v = interpolateTake(take, c.t, 19.0f, c.writePos, c.head);
        EXPECT_NEAR(v[0], c.expected, 1e-6f * (1.0f + std::fabs(c.expected))) << c.t;
        EXPECT_EQ(v[1], -2.0f * v[0]) << c.t;  // the cubic is linear in the samples
    }
}

}  // namespace
}  // namespace brindlet
