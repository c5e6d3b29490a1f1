// The onset trigger's state machine: stepped level, onsets, re-arming, firing, gate and feeds.
#include <gtest/gtest.h>

#include <vector>

#include "engine/EditorFeed.h"
#include "engine/EngineParameters.h"
#include "engine/OnsetTrigger.h"
#include "tests/engine/FakeEngineHost.h"

namespace brindlet {
namespace {

class OnsetTriggerTest : public ::testing::Test {
protected:
    OnsetTriggerTest() {
        trigger.setSampleRate(44100.0f);
        params = EngineParameters().snapshot();
    }
    TriggerEvents frame(float level) {
        return trigger.processFrame(level, -0.5f * level, params, feed);
    }
    // Runs `frames` frames of a constant level and counts the events.
    void run(float level, int frames, int* takes = nullptr, int* fires = nullptr) {
        for (int k = 0; k < frames; ++k) {
            const TriggerEvents e = frame(level);
            if (takes) *takes += e.takeStart;
            if (fires) *fires += e.fire;
        }
    }

    test::FakeEngineHost host;
    EditorFeed feed{&host};
    OnsetTrigger trigger;
    ParameterSnapshot params;
    static constexpr int kHold = 551;  // nearest(44100 x 0.0125)
};

TEST_F(OnsetTriggerTest, LevelHoldsAWindowThenFallsInAStraightLineAndFeedsTheMeters) {
    frame(1.0f);
    run(0.5f, kHold);  // the hold window; its first frame ends the rise
    EXPECT_EQ(host.feeds, (std::vector<test::Feed>{{kFeedRise, 1.0f}, {kFeedLevel, 1.0f}}));
    EXPECT_EQ(trigger.inputLevel(), 1.0f);
    EXPECT_EQ(trigger.smoothLevel(), 1.0f);
    frame(0.5f);  // the step frame itself
    EXPECT_EQ(trigger.inputLevel(), 0.5f);
    EXPECT_EQ(trigger.smoothLevel(), 1.0f);
    EXPECT_EQ(host.feeds.back(), (test::Feed{kFeedLevel, 1.0f}));
    frame(0.25f);
    EXPECT_FLOAT_EQ(trigger.smoothLevel(), 1.0f - 0.5f / kHold);
    run(0.25f, kHold - 1);
    EXPECT_NEAR(trigger.smoothLevel(), 0.5f, 5e-5f);
    frame(0.25f);
    EXPECT_EQ(trigger.inputLevel(), 0.25f);
    frame(0.6f);
    frame(0.3f);  // the rise counts from the last window's level
    EXPECT_FLOAT_EQ(host.feeds[host.feeds.size() - 2].value, (0.6f - 0.25f) / 0.6f);
}

TEST_F(OnsetTriggerTest, OnsetStartsATakeAndFiresThenRearmsOnTheFirstFall) {
    int takes = 0;
    run(0.7f, 5000, &takes);  // a constant level is no onset
    run(0.0f, 3 * kHold, &takes);
    EXPECT_EQ(takes, 0);
    const TriggerEvents e = frame(0.2f);
    EXPECT_TRUE(e.takeStart);
    EXPECT_TRUE(e.fire);
    EXPECT_EQ(trigger.envModGate(), 1.0f);
    run(0.8f, 1, &takes);  // disarmed: a further rise starts nothing
    run(0.1f, kHold, &takes);
    EXPECT_FALSE(trigger.armed());
    frame(0.1f);  // the window step lowers the level: re-armed
    EXPECT_TRUE(trigger.armed());
    run(0.1f, 3 * kHold, &takes);
    run(0.5f, 1, &takes);  // rise (0.5 - 0.1) / 0.5 = 0.8 beyond 0.3
    EXPECT_EQ(takes, 1);
}

TEST_F(OnsetTriggerTest, RiseMustExceedTheSelectivity) {
    run(0.0f, 1);
    run(0.7f, 1);  // take; the level then falls and re-arms with levelMin 0.7
    run(0.7f, kHold + 1);
    run(0.69f, kHold + 1);
    ASSERT_TRUE(trigger.armed());
    int takes = 0;
    run(0.98f, 1, &takes);  // rise from the lowest level 0.69: 0.296 < 0.3
    EXPECT_EQ(takes, 0);
    run(1.0f, 1, &takes);  // 0.31
    EXPECT_EQ(takes, 1);
    params.trigSelectivity = 1.0f;  // no rise exceeds 1: only MIDI is left
    for (int i = 0; i < 5; ++i) run(0.0f, 3 * kHold, &takes), run(1.0f, 2, &takes);
    EXPECT_EQ(takes, 1);
}

// A held level leaves the tests nothing new to see frame after frame; a block start with new
// parameters must still make them look again.
TEST_F(OnsetTriggerTest, HeldLevelSeesParametersChangedAtABlockStart) {
    run(0.0f, 1);
    run(0.7f, 1);
    run(0.7f, kHold + 1);
    run(0.6f, kHold + 1);  // falls and re-arms with levelMin 0.6
    ASSERT_TRUE(trigger.armed());
    int takes = 0;
    run(0.8f, 3 * kHold, &takes);  // rise 0.25 < 0.3, then held flat
    EXPECT_EQ(takes, 0);
    params.trigSelectivity = 0.2f;
    trigger.setMidi(false, false);
    run(0.8f, 1, &takes);
    EXPECT_EQ(takes, 1);

    run(0.5f, 2 * kHold);  // re-armed below its new level and held there
    ASSERT_TRUE(trigger.armed());
    const float open = trigger.gateGain();
    ASSERT_GT(open, 0.5f);
    params.gateLevel = 0.9f;
    trigger.setMidi(false, false);
    run(0.5f, 10);
    EXPECT_NEAR(trigger.gateGain(), open - 0.01f, 1e-6f);
}

TEST_F(OnsetTriggerTest, SoundShorterThanAWindowThenSilenceDoesNotRearm) {
    run(0.0f, 1);
    int takes = 0;
    run(0.9f, 100, &takes);
    run(0.0f, 3 * kHold, &takes);  // the level steps straight to 0: rise counts as 0
    EXPECT_FALSE(trigger.armed());
    run(0.9f, 100, &takes);  // so the next sound starts no take
    EXPECT_EQ(takes, 1);
    run(0.3f, kHold + 1);  // only its decay re-arms
    EXPECT_TRUE(trigger.armed());
}

TEST_F(OnsetTriggerTest, FireWaitsForTrigLevelAndATakeThatMissesItLosesItsModulation) {
    params.trigLevel = 0.5f;
    params.envModDepth = 1.0f;
    run(0.0f, 1);
    int takes = 0, fires = 0;
    run(0.2f, 1, &takes, &fires);
    run(0.4f, 1, &takes, &fires);
    EXPECT_EQ(takes, 1);
    EXPECT_EQ(fires, 0);
    EXPECT_TRUE(trigger.onsetPending());
    run(0.5f, 1, &takes, &fires);  // reaches Trig/ Level: fires, the modulation gate opens
    EXPECT_EQ(fires, 1);
    EXPECT_FALSE(trigger.onsetPending());
    run(0.3f, kHold + 1);  // falls: re-armed
    ASSERT_TRUE(trigger.armed());
    EXPECT_EQ(trigger.envModGate(), 1.0f);
    run(0.45f, 1, &takes, &fires);  // rise 0.33: a take below Trig/ Level
    run(0.2f, kHold + 1);           // falls before reaching it
    EXPECT_EQ(takes, 2);
    EXPECT_TRUE(trigger.armed());
    EXPECT_TRUE(trigger.onsetPending());
    EXPECT_EQ(trigger.envModGate(), 0.0f);
    // The pending onset cannot fire while armed, even at Trig/ Level (a rise of 0.26 is no
    // onset); the next take start, here a MIDI note of low velocity, fires it at once.
    params.trigLevel = 0.25f;
    run(0.27f, 3, nullptr, &fires);
    EXPECT_EQ(fires, 1);
    trigger.setMidi(true, false);
    const TriggerEvents e = frame(0.27f);
    EXPECT_TRUE(e.takeStart);
    EXPECT_TRUE(e.fire);
}

TEST_F(OnsetTriggerTest, MuteTakeClearsTheModulationUntilItFires) {
    params.envModDepth = 1.0f;
    params.trigMode = TriggerMode::Mute;
    params.trigLevel = 0.9f;
    run(0.0f, 1);
    trigger.setMidi(true, true);
    run(0.5f, 2000);  // fired at once: the modulation follows the level
    EXPECT_GT(trigger.envModValue(), 0.3f);
    run(0.05f, kHold + 1);  // falls and re-arms
    ASSERT_TRUE(trigger.armed());
    run(0.5f, 1);  // an audio onset below Trig/ Level: the take starts muted
    EXPECT_EQ(trigger.envModValue(), 0.0f);
    EXPECT_EQ(trigger.smoothLevel(), 0.0f);
    EXPECT_EQ(trigger.envModGate(), 0.0f);
}

TEST_F(OnsetTriggerTest, ModulationApproachesDepthTimesLevelAndTinyValuesAreFlushed) {
    params.envModDepth = 0.5f;
    params.envAttackCoeff = 0.001f;
    run(0.0f, 1);
    run(0.8f, 1);  // fires: the gate opens after this frame's modulation step
    EXPECT_EQ(trigger.envModValue(), 0.0f);
    run(0.8f, 1);
    EXPECT_FLOAT_EQ(trigger.envModValue(), 0.5f * 0.8f * 0.001f);
    run(0.8f, 20000);
    EXPECT_NEAR(trigger.envModValue(), 0.4f, 1e-4f);

    OnsetTrigger quiet;
    params.envModDepth = 1.0f;
    quiet.processFrame(0.0f, 0.0f, params, feed);
    quiet.processFrame(1e-6f, 0.0f, params, feed);  // fires; the modulation starts at 1e-9
    quiet.processFrame(1e-6f, 0.0f, params, feed);
    ASSERT_GT(quiet.envModValue(), 0.0f);
    quiet.endBlock(feed);
    EXPECT_EQ(quiet.envModValue(), 0.0f);
}

TEST_F(OnsetTriggerTest, GateClosesTheVoiceInAboutAThousandFramesWhileArmed) {
    params.gateLevel = 0.5f;
    int frames = 0;
    run(0.1f, 1);
    for (; trigger.gateGain() > 0.0f && frames < 5000; ++frames) frame(0.1f);
    EXPECT_NEAR(frames, 1000, 2);
    EXPECT_GT(trigger.gateGain(), -0.001f);
    const float closed = trigger.gateGain();
    run(0.1f, 100);
    EXPECT_EQ(trigger.gateGain(), closed);  // stops at the first value that is not positive
}

TEST_F(OnsetTriggerTest, IdleFeedOnceAfterTheLevelReachesZero) {
    trigger.endBlock(feed);
    trigger.endBlock(feed);
    EXPECT_EQ(host.count(kFeedIdle), 1);
    EXPECT_EQ(host.feeds.back(), (test::Feed{kFeedIdle, 999.0f}));
    EXPECT_FALSE(trigger.feedEnabled());
    frame(0.3f);
    trigger.endBlock(feed);
    EXPECT_TRUE(trigger.feedEnabled());
    run(0.0f, 3 * kHold);
    trigger.endBlock(feed);
    trigger.endBlock(feed);
    EXPECT_EQ(host.count(kFeedIdle), 2);
}

}  // namespace
}  // namespace brindlet
