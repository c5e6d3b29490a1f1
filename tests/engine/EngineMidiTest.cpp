// MIDI notes: Pitch/ End through host automation, take starts and the velocity fire rule.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/Engine.h"
#include "tests/engine/EngineRender.h"
#include "tests/engine/FakeEngineHost.h"

namespace brindlet {
namespace {

class EngineMidiTest : public ::testing::Test {
protected:
    EngineMidiTest() {
        host.engine = &engine;
        engine.setParameter(kTrigLevel, 1.0f);  // the quiet input never fires by itself
        engine.mainsOn(44100.0f);
    }
    // A quiet constant input: no onsets, but not silence, which would pause the sweep feeds.
    void block(int32_t frames = 64) {
        const StereoSignal hum{std::vector<float>(frames, 0.01f),
                               std::vector<float>(frames, 0.01f)};
        test::render(engine, hum, frames);
    }

    test::FakeEngineHost host;
    Engine engine{&host};
};

TEST_F(EngineMidiTest, NoteOnsUpToSixtySetPitchEndThroughTheHost) {
    const struct {
        uint8_t note;
        float ratio;
    } cases[] = {{60, 1.0f}, {48, 0.5f}, {36, 0.25f}, {0, 0.03125f}, {59, 0.94387431f}};
    for (const auto& c : cases) {
        host.automations.clear();
        engine.midiMessage(0x90, c.note, 100);
        ASSERT_EQ(host.automations.size(), 1u) << int(c.note);
        EXPECT_EQ(host.automations[0].index, kPitchEnd);
        EXPECT_FLOAT_EQ(host.automations[0].value, c.ratio) << int(c.note);
        EXPECT_EQ(engine.getParameter(kPitchEnd), host.automations[0].value);
    }
    EXPECT_EQ(host.automations[0].value, static_cast<float>(std::pow(2.0, -1.0 / 12.0)));
}

TEST_F(EngineMidiTest, OtherMessagesChangeNothing) {
    engine.midiMessage(0x90, 61, 100);  // above the sweep range
    engine.midiMessage(0x90, 127, 100);
    engine.midiMessage(0x80, 40, 100);  // note off
    engine.midiMessage(0x90, 40, 0);    // note on with velocity 0 is a note off
    engine.midiMessage(0xB0, 40, 100);  // controller
    engine.midiMessage(0xE0, 0, 64);    // pitch bend
    EXPECT_TRUE(host.automations.empty());
    block();
    EXPECT_EQ(host.count(kFeedSweep), 0);  // no take: the voice stays idle
}

TEST_F(EngineMidiTest, AnyChannelAndTheHighDataBitsAreIgnored) {
    engine.midiMessage(0x9F, 48 | 0x80, 100 | 0x80);
    ASSERT_EQ(host.automations.size(), 1u);
    EXPECT_EQ(host.automations[0].value, 0.5f);
}

TEST_F(EngineMidiTest, LoudNoteStartsATakeAndFiresOnTheFirstFrameOfTheNextBlock) {
    engine.midiMessage(0x90, 48, 100);
    EXPECT_TRUE(host.feeds.empty());
    block();
    ASSERT_FALSE(host.feeds.empty());
    EXPECT_EQ(host.feeds[0].index, kFeedSweep);
    EXPECT_GE(host.feeds[0].value, 99.0f);
    EXPECT_EQ(host.fireMarks(), 1);
}

TEST_F(EngineMidiTest, QuietNoteStartsATakeWithoutAFire) {
    engine.midiMessage(0x90, 48, 63);
    block();
    EXPECT_GT(host.count(kFeedSweep), 0);  // the take plays...
    EXPECT_EQ(host.fireMarks(), 0);        // ...at the Normal-mode rate, not fired
}

TEST_F(EngineMidiTest, ReleaseVelocityOfALaterNoteOffDecides) {
    engine.midiMessage(0x90, 48, 100);
    engine.midiMessage(0x80, 48, 10);
    block();
    EXPECT_GT(host.count(kFeedSweep), 0);
    EXPECT_EQ(host.fireMarks(), 0);
}

TEST_F(EngineMidiTest, TwoNotesInOneListMakeOneTakeWithTheSecondPitch) {
    engine.midiMessage(0x90, 36, 100);
    engine.midiMessage(0x90, 48, 100);
    EXPECT_EQ(engine.getParameter(kPitchEnd), 0.5f);
    block(2000);
    EXPECT_EQ(host.fireMarks(), 1);
}

TEST_F(EngineMidiTest, PendingNoteWaitsThroughEmptyBlocks) {
    block();  // a level above 0, so the block ends below keep the sweep feeds open
    engine.midiMessage(0x90, 48, 100);
    const float* none[2] = {nullptr, nullptr};
    float left = 0, right = 0;
    float* outs[2] = {&left, &right};
    engine.processReplacing(none, outs, 1);
    const float hum = 0.01f;
    const float* ins[2] = {&hum, &hum};
    engine.processReplacing(ins, outs, 0);
    EXPECT_EQ(host.count(kFeedSweep), 0);
    block(1);
    EXPECT_EQ(host.fireMarks(), 1);
}

TEST(EngineMidiNoHost, NotesStillSetPitchEndWithoutAHost) {
    Engine engine(nullptr);
    engine.midiMessage(0x90, 36, 100);
    EXPECT_EQ(engine.getParameter(kPitchEnd), 0.25f);
}

}  // namespace
}  // namespace brindlet
