// Creation and destruction, and the requests the effect sends its host, in order.
#include <climits>

#include "ShellTestSupport.h"

namespace brindlet::test {
namespace {

class CreationTest : public ::testing::Test {
protected:
    void SetUp() override {
        versionAnswer() = 2400;
        eventLog().clear();
    }
};

TEST_F(CreationTest, HostVersionZeroCreatesNothing) {
    versionAnswer() = 0;
    EXPECT_EQ(createEffect(recordingCallback, kRecordingParts), nullptr);
    const auto requests = hostRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].opcode, audioMasterVersion);
    EXPECT_TRUE(requests[0].nullEffect);
    EXPECT_EQ(eventLog().size(), 1u) << "no editor was made";
}

TEST_F(CreationTest, NoHostCallbackCreatesNothing) {
    EXPECT_EQ(createEffect(nullptr, kRecordingParts), nullptr);
}

TEST_F(CreationTest, ConstructionAsksForTheVersionThenForMidi) {
    versionAnswer() = 1;  // any non-zero version is accepted
    AEffect* effect = createEffect(recordingCallback, kRecordingParts);
    ASSERT_NE(effect, nullptr);
    const auto requests = hostRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].opcode, audioMasterVersion);
    EXPECT_TRUE(requests[0].nullEffect);
    EXPECT_EQ(requests[0].index, 0);
    EXPECT_EQ(requests[0].value, 0);
    EXPECT_EQ(requests[1].opcode, audioMasterWantMidi);
    EXPECT_EQ(requests[1].value, 1);
    EXPECT_FALSE(requests[1].nullEffect);
    EXPECT_EQ(effect->flags & effFlagsHasEditor, effFlagsHasEditor);
    dispatch(effect, effClose);
}

// A failure is carried by the call that met it: the next creation succeeds again.
TEST_F(CreationTest, MissingEditorOrBankFailsOnlyThatCreation) {
    const EffectParts noEditor{failEditor, createBank};
    const EffectParts noBank{createRecordingEditor, failBank};
    const EffectParts neither{failEditor, failBank};
    const EffectParts nulls{nullptr, nullptr};
    for (const EffectParts* parts : {&noEditor, &noBank, &neither, &nulls}) {
        EXPECT_EQ(createEffect(recordingCallback, *parts), nullptr);
        AEffect* effect = createEffect(recordingCallback, kRecordingParts);
        ASSERT_NE(effect, nullptr);
        dispatch(effect, effClose);
    }
}

TEST_F(CreationTest, FailedBankDestroysTheEditorItMadeToo) {
    const EffectParts noBank{createRecordingEditor, failBank};
    EXPECT_EQ(createEffect(recordingCallback, noBank), nullptr);
    int destroyed = 0;
    for (const LogEntry& e : eventLog()) destroyed += e.kind == LogEntry::EditorDestroyed;
    EXPECT_EQ(destroyed, 1);
}

TEST_F(CreationTest, OpenWindowIsClosedBeforeTheEditorGoes) {
    AEffect* effect = createEffect(recordingCallback, kRecordingParts);
    ASSERT_NE(effect, nullptr);
    int parent = 0;
    dispatch(effect, effEditOpen, 0, 0, &parent);
    eventLog().clear();
    EXPECT_EQ(dispatch(effect, effClose), 1);
    ASSERT_EQ(eventLog().size(), 2u);
    EXPECT_EQ(eventLog()[0].kind, LogEntry::EditorClose);
    EXPECT_EQ(eventLog()[1].kind, LogEntry::EditorDestroyed);
}

TEST_F(CreationTest, ClosedWindowIsNotClosedAgain) {
    AEffect* effect = createEffect(recordingCallback, kRecordingParts);
    ASSERT_NE(effect, nullptr);
    int parent = 0;
    dispatch(effect, effEditOpen, 0, 0, &parent);
    dispatch(effect, effEditClose);
    eventLog().clear();
    dispatch(effect, effClose);
    ASSERT_EQ(eventLog().size(), 1u);
    EXPECT_EQ(eventLog()[0].kind, LogEntry::EditorDestroyed);
}

using HostRequestTest = ShellTest;

TEST_F(HostRequestTest, EveryMainsOnAsksForMidiAgain) {
    eventLog().clear();
    dispatch(effect, effMainsChanged, 0, 0);
    EXPECT_TRUE(hostRequests().empty());
    dispatch(effect, effMainsChanged, 0, 1);
    dispatch(effect, effMainsChanged, 0, 1);
    const auto requests = hostRequests();
    ASSERT_EQ(requests.size(), 2u);
    for (const LogEntry& r : requests) {
        EXPECT_EQ(r.opcode, audioMasterWantMidi);
        EXPECT_EQ(r.value, 1);
    }
}

TEST_F(HostRequestTest, AutomateChangesTheEffectBeforeTellingTheHost) {
    eventLog().clear();
    instance().automateParameter(kMix, 0.25f);
    instance().automateParameter(23, 1.0f);  // an editor tag passes unchecked
    ASSERT_EQ(eventLog().size(), 4u);
    EXPECT_EQ(eventLog()[0].kind, LogEntry::EditorParameter);
    EXPECT_EQ(eventLog()[0].index, kMix);
    EXPECT_EQ(eventLog()[1].kind, LogEntry::Host);
    EXPECT_EQ(eventLog()[1].opcode, audioMasterAutomate);
    EXPECT_EQ(eventLog()[1].index, kMix);
    EXPECT_EQ(eventLog()[1].opt, 0.25f);
    EXPECT_EQ(eventLog()[3].opcode, audioMasterAutomate);
    EXPECT_EQ(eventLog()[3].index, 23);
}

TEST_F(HostRequestTest, EditorRequestsCarryTheirTag) {
    eventLog().clear();
    EXPECT_TRUE(instance().beginEdit(5));
    EXPECT_TRUE(instance().endEdit(5));
    EXPECT_TRUE(instance().updateHostDisplay());
    instance().hostIdle();
    const auto requests = hostRequests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(requests[0].index, 5);
    EXPECT_EQ(requests[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(requests[1].index, 5);
    EXPECT_EQ(requests[2].opcode, audioMasterUpdateDisplay);
    EXPECT_EQ(requests[3].opcode, audioMasterIdle);
}

TEST(HostRequestWithoutCallbackTest, EveryRequestAnswersNo) {
    EffectBase bare(nullptr, 16, 14);
    EXPECT_FALSE(bare.beginEdit(1));
    EXPECT_FALSE(bare.endEdit(1));
    EXPECT_FALSE(bare.updateHostDisplay());
    EXPECT_FALSE(bare.wantMidi(1));
    bare.hostIdle();
    bare.automateParameter(0, 0.5f);
}

// Event lists are host memory of any quality: none of these may crash or touch the host.
TEST_F(HostRequestTest, BadEventListsChangeNothing) {
    eventLog().clear();
    EXPECT_EQ(dispatch(effect, effProcessEvents, 0, 0, nullptr), 0);

    VstMidiEvent noteOn{kVstMidiType, 24, 0, 0, 0, 0, {char(0x90), 48, 100, 0}, 0, 0, 0, 0};
    VstEvent sysex{kVstSysExType, 16, 0, 0, {}};
    struct {
        VstEvents head;
        VstEvent* more[4];
    } list{};
    list.head.numEvents = -1;
    list.head.events[0] = reinterpret_cast<VstEvent*>(&noteOn);
    EXPECT_EQ(dispatch(effect, effProcessEvents, 0, 0, &list.head), 0);
    list.head.numEvents = INT_MAX;
    EXPECT_EQ(dispatch(effect, effProcessEvents, 0, 0, &list.head), 0);
    EXPECT_TRUE(hostRequests().empty()) << "a refused list plays no note";

    list.head.numEvents = 0;
    EXPECT_EQ(dispatch(effect, effProcessEvents, 0, 0, &list.head), 1);
    list.head.numEvents = 3;
    list.head.events[0] = nullptr;
    list.head.events[1] = &sysex;
    list.more[0] = nullptr;
    EXPECT_EQ(dispatch(effect, effProcessEvents, 0, 0, &list.head), 1);
    EXPECT_TRUE(hostRequests().empty());
}

}  // namespace
}  // namespace brindlet::test
