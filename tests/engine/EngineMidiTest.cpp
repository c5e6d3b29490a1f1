// MIDI notes: Pitch/ End through host automation, take starts and the velocity fire rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "engine/Engine.h"
#include "tests/engine/EngineRender.h"
#include "tests/engine/FakeEngineHost.h"

namespace brindlet {
namespace {

struct Message {
    uint8_t status, data1, data2;
};

// An engine whose quiet input never fires by itself, with automation applied as the shell does.
template <class Host = test::FakeEngineHost>
struct MidiRig {
    MidiRig() {
        host.engine = &engine;
        engine.setParameter(kTrigLevel, 1.0f);
        engine.mainsOn(44100.0f);
    }
    // A quiet constant input: no onsets, but not silence, which would pause the sweep feeds.
    void block(int32_t frames) { test::render(engine, test::constant(frames, 0.01f), frames); }

    Host host;
    Engine engine{&host};
};

TEST(EngineMidi, NoteOnsUpToSixtySetPitchEndThroughTheHostOnAnyChannel) {
    const struct {
        Message note;
        float ratio;
    } cases[] = {{{0x90, 60, 100}, 1.0f},
                 {{0x90, 48, 100}, 0.5f},
                 {{0x90, 36, 100}, 0.25f},
                 {{0x90, 0, 100}, 0.03125f},
                 {{0x90, 59, 100}, static_cast<float>(std::pow(2.0, -1.0 / 12.0))},
                 {{0x9F, 48 | 0x80, 100 | 0x80}, 0.5f}};  // the high data bits are ignored
    for (const auto& c : cases) {
        MidiRig<> rig;
        Engine hostless(nullptr);
        for (Engine* e : {&rig.engine, &hostless})
            e->midiMessage(c.note.status, c.note.data1, c.note.data2);
        EXPECT_EQ(rig.host.automations, (std::vector<test::Feed>{{kPitchEnd, c.ratio}}));
        EXPECT_EQ(rig.engine.getParameter(kPitchEnd), c.ratio);
        EXPECT_EQ(hostless.getParameter(kPitchEnd), c.ratio);
    }
}

TEST(EngineMidi, OtherMessagesChangeNothing) {
    MidiRig<> rig;
    rig.engine.midiMessage(0x90, 61, 100);  // above the sweep range
    rig.engine.midiMessage(0x90, 127, 100);
    rig.engine.midiMessage(0x80, 40, 100);  // note off
    rig.engine.midiMessage(0x90, 40, 0);    // note on with velocity 0 is a note off
    rig.engine.midiMessage(0xB0, 40, 100);  // controller
    rig.engine.midiMessage(0xE0, 0, 64);    // pitch bend
    EXPECT_TRUE(rig.host.automations.empty());
    rig.block(64);
    EXPECT_EQ(rig.host.count(kFeedSweep), 0);  // no take: the voice stays idle
}

TEST(EngineMidi, NoteStartsATakeThatFiresAtOnceUnlessTheLastVelocityIsBelowHalf) {
    const struct {
        std::vector<Message> messages;
        bool fires;
    } cases[] = {{{{0x90, 48, 100}}, true},
                 {{{0x90, 48, 63}}, false},
                 {{{0x90, 48, 100}, {0x80, 48, 10}}, false},   // a later release velocity
                 {{{0x90, 36, 100}, {0x90, 48, 100}}, true}};  // one take, the second pitch
    for (const auto& c : cases) {
        MidiRig<> rig;
        for (const Message& m : c.messages) rig.engine.midiMessage(m.status, m.data1, m.data2);
        EXPECT_TRUE(rig.host.feeds.empty());
        rig.block(2000);
        ASSERT_FALSE(rig.host.feeds.empty());  // the take plays from the next block on
        EXPECT_EQ(rig.host.feeds[0].index, kFeedSweep);
        EXPECT_EQ(rig.host.feeds[0].value >= 99.0f, c.fires);  // the fire marks its first frame
        EXPECT_EQ(rig.host.fireMarks(), c.fires ? 1 : 0);
        EXPECT_EQ(rig.engine.getParameter(kPitchEnd), 0.5f);
    }
}

// Runs `action` once from inside the engine's first host call of the given kind, as another
// thread's call could land at that moment.
struct InterruptingHost : test::FakeEngineHost {
    mutable std::function<void()> duringQuery;
    std::function<void()> duringFeed;
    bool hasEditor() const override {
        if (duringQuery) std::exchange(duringQuery, nullptr)();
        return editor;
    }
    void notifyEditor(int32_t index, float value) override {
        if (duringFeed) std::exchange(duringFeed, nullptr)();
        FakeEngineHost::notifyEditor(index, value);
    }
};

TEST(EngineMidi, NoteArrivingAsABlockStartsPlaysWithItsOwnPitchEnd) {
    MidiRig<InterruptingHost> rig;
    rig.block(64);
    rig.host.duringQuery = [&rig] { rig.engine.midiMessage(0x90, 36, 10); };  // 0.25, no fire
    for (int b = 0; b < 2; ++b) rig.block(1000);
    ASSERT_GT(rig.host.count(kFeedSweep), 0);
    for (const test::Feed& f : rig.host.feeds) {
        if (f.index == kFeedSweep) {
            EXPECT_EQ(f.value, 0.25f);  // never the older 0.5
        }
    }
}

TEST(EngineMidi, PitchEndSetDuringABlockReachesTheFirstTakeThatCanSeeIt) {
    MidiRig<InterruptingHost> rig;  // takes without fires: the sweep holds its value
    rig.host.duringFeed = [&rig] { rig.engine.setParameter(kPitchEnd, 0.25f); };
    auto level = [](StereoSignal& s, std::size_t from, std::size_t to, float value) {
        std::fill(s.left.begin() + from, s.left.begin() + to, value);
        std::fill(s.right.begin() + from, s.right.begin() + to, value);
    };
    StereoSignal first = test::constant(3000, 0.01f);
    level(first, 10, 11, 0.0f);      // a dip: the first level feed, with no onset
    level(first, 2000, 3000, 0.5f);  // an onset: take one
    test::render(rig.engine, first, 3000);
    StereoSignal second = test::constant(3000, 0.5f);
    level(second, 1000, 2000, 0.01f);        // rearms the trigger
    test::render(rig.engine, second, 3000);  // take two at frame 2000
    EXPECT_EQ(rig.host.lastSweepFeed(), 0.25f);
}

TEST(EngineMidi, PendingNoteWaitsThroughEmptyBlocks) {
    MidiRig<> rig;
    rig.block(64);  // a level above 0, so the block ends below keep the sweep feeds open
    rig.engine.midiMessage(0x90, 48, 100);
    const float* none[2] = {nullptr, nullptr};
    float left = 0, right = 0;
    float* outs[2] = {&left, &right};
    rig.engine.processReplacing(none, outs, 1);
    const float hum = 0.01f;
    const float* ins[2] = {&hum, &hum};
    rig.engine.processReplacing(ins, outs, 0);
    EXPECT_EQ(rig.host.count(kFeedSweep), 0);
    rig.block(1);
    EXPECT_EQ(rig.host.fireMarks(), 1);
}

}  // namespace
}  // namespace brindlet
