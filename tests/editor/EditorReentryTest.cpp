// The editor behind the real effect, driven through the plug-in record as a host drives it, and
// hosts that call back into the plug-in from inside its own requests: closing the editor or
// changing the program while a gesture, an action or an idle step of ours is still running.
#include <algorithm>
#include <string>
#include <vector>

#include "editor/SweepDisplay.h"
#include "include/vst2/aeffect.h"
#include "shell/PluginEffect.h"
#include "tests/editor/EditorTestSupport.h"

namespace brindlet::test {
namespace {

// What the host does when a chosen request arrives: one nested dispatcher call.
struct Reentry {
    int32_t onOpcode = -1;
    int32_t onIndex = -1;  // -1: any index
    int32_t opcode = effEditClose;
    intptr_t value = 0;
    void* ptr = nullptr;
    bool done = false;
    intptr_t answer = -99;
};

Reentry reentry;
std::vector<int32_t> requests;  // index << 8 | opcode, idle left out

intptr_t VST2_CALL reenteringHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t, void*,
                                  float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode != audioMasterIdle) requests.push_back(index << 8 | opcode);
    if (effect && !reentry.done && opcode == reentry.onOpcode &&
        (reentry.onIndex < 0 || reentry.onIndex == index)) {
        reentry.done = true;
        reentry.answer =
            effect->dispatcher(effect, reentry.opcode, 0, reentry.value, reentry.ptr, 0.0f);
    }
    return 0;
}

class EditorReentryTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        reentry = Reentry();
        requests.clear();
        effect = createEffect(reenteringHost);
        ASSERT_NE(effect, nullptr);
        editor =
            static_cast<PluginEditor*>(static_cast<PluginEffect*>(effect->object)->getEditor());
        dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effMainsChanged, 0, 1);
        open();
        requests.clear();
    }
    void open() {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, &dummyParent), 1);
        window = editor->getFrame()->getWindow();
        headless::paint(window, Rect(0, 0, 465, 360));
    }
    void TearDown() override {
        dispatch(effEditClose);
        dispatch(effClose);
        headless::reset();
    }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    // Presses the "Mix" slider's handle and drags it upwards over `steps` polls.
    void dragMix(int32_t steps) {
        std::vector<headless::InputStep> moves;
        for (int32_t i = 0; i < steps; ++i) {
            moves.push_back({kPhysicalLeft, Point(396, 280 - 2 * i)});
        }
        const Rect& r = kEditorLayout[layoutRowOfTag(kMix)].bounds;
        const int32_t handleTop =
            r.top + int32_t((1.0f - effect->getParameter(effect, kMix)) * 100);
        headless::press(window, Point(396, handleTop + 10), kPhysicalLeft, moves);
    }
    int32_t count(int32_t opcode) const {
        return int32_t(std::count_if(requests.begin(), requests.end(),
                                     [opcode](int32_t r) { return (r & 0xff) == opcode; }));
    }
    Control* control(int32_t tag) const { return editor->getLayoutControl(layoutRowOfTag(tag)); }
    void expectControlsShowTheEffect() {
        for (int32_t i = 0; i < kNumParams; ++i) {
            ASSERT_NE(control(i), nullptr);
            EXPECT_EQ(control(i)->getValue(), effect->getParameter(effect, i)) << i;
        }
    }
    // The close took effect once our call unwound: no frame, no window, gesture bracket closed.
    void expectClosedAfterUnwinding() {
        EXPECT_TRUE(reentry.done);
        EXPECT_EQ(reentry.answer, 0);
        EXPECT_EQ(editor->getFrame(), nullptr);
        EXPECT_FALSE(editor->isEditorOpen());
        EXPECT_EQ(headless::getWindowCount(), 0);
        EXPECT_EQ(headless::getEditFieldCount(), 0);
        EXPECT_EQ(count(audioMasterBeginEdit), count(audioMasterEndEdit));
    }

    AEffect* effect = nullptr;
    PluginEditor* editor = nullptr;
    NativeWindow* window = nullptr;
};

// Before: close waited for ever on the editor's own call count.
TEST_F(EditorReentryTest, CloseInsideUpdateDisplayAfterAPresetButton) {
    reentry.onOpcode = audioMasterUpdateDisplay;
    headless::press(window, centreOf(kTagPreset0 + 3));
    expectClosedAfterUnwinding();
    EXPECT_EQ(effect->getParameter(effect, kMix), kFactoryPresetTable[3].values[kMix]);
    // The button's release is still reported, as a release always is.
    EXPECT_EQ(count(audioMasterAutomate), 2);
}

// A host setting an editor-only index itself on its own thread: the same road without a gesture.
TEST_F(EditorReentryTest, CloseInsideUpdateDisplayAfterAHostSetPresetIndex) {
    reentry.onOpcode = audioMasterUpdateDisplay;
    effect->setParameter(effect, kTagPreset0 + 2, 1.0f);
    expectClosedAfterUnwinding();
}

// Before: the frame was pulled from under the slider's tracking loop.
TEST_F(EditorReentryTest, CloseInsideAutomateEndsTheDragAsIfReleased) {
    reentry.onOpcode = audioMasterAutomate;
    dragMix(30);
    expectClosedAfterUnwinding();
    EXPECT_GT(headless::getPendingSteps(), 20) << "the loop went on after the close";
    EXPECT_EQ(count(audioMasterAutomate), 1);
}

TEST_F(EditorReentryTest, CloseInsideBeginEditOrEndEdit) {
    for (const int32_t on : {audioMasterBeginEdit, audioMasterEndEdit}) {
        SCOPED_TRACE(on);
        if (!editor->getFrame()) open();
        reentry = Reentry();
        reentry.onOpcode = on;
        requests.clear();
        dragMix(10);
        expectClosedAfterUnwinding();
    }
}

TEST_F(EditorReentryTest, CloseInsideIdleDuringADrag) {
    reentry.onOpcode = audioMasterIdle;
    headless::setTicksPerPoll(30);  // the idle step runs every other poll or so
    dragMix(40);
    expectClosedAfterUnwinding();
    EXPECT_GT(headless::getPendingSteps(), 20);
}

// A button press and then a close and a new open inside the same callback: the new window
// lives on, the old one goes when the gesture unwinds.
TEST_F(EditorReentryTest, CloseAndOpenAgainInsideAutomate) {
    reentry.onOpcode = audioMasterAutomate;
    reentry.opcode = effEditClose;
    dragMix(5);
    ASSERT_TRUE(reentry.done);
    reentry = Reentry();
    open();
    reentry.onOpcode = audioMasterAutomate;
    reentry.opcode = effEditOpen;
    reentry.ptr = &dummyParent;
    dragMix(5);
    EXPECT_EQ(reentry.answer, 1);
    EXPECT_TRUE(editor->isEditorOpen());
    EXPECT_EQ(headless::getWindowCount(), 1);
    EXPECT_NE(editor->getFrame()->getWindow(), window);
}

TEST_F(EditorReentryTest, CloseInsideAutomateOfTheTypedEntry) {
    reentry.onOpcode = audioMasterAutomate;
    reentry.onIndex = kTagEndEntry;
    headless::press(window, centreOf(kTagEndEntry));
    NativeEditField* field = headless::getOpenEditField();
    ASSERT_NE(field, nullptr);
    headless::typeIntoEditField(field, "0.42");
    headless::pressEnterInEditField(field);
    expectClosedAfterUnwinding();
    EXPECT_FLOAT_EQ(effect->getParameter(effect, kPitchEnd), 0.42f);
}

// Found by fuzzing: a second open closes the old frame, whose open entry reports its typed
// value, and the host opens the editor again from inside that report. The old teardown then
// cleared the new editor's controls and bitmaps and the outer open made a frame over it, so one
// whole editor leaked with its window.
TEST_F(EditorReentryTest, OpenInsideAutomateOfAClosingEntryLeavesOneEditor) {
    headless::press(window, centreOf(kTagEndEntry));
    NativeEditField* field = headless::getOpenEditField();
    ASSERT_NE(field, nullptr);
    headless::typeIntoEditField(field, "0.42");
    reentry.onOpcode = audioMasterAutomate;
    reentry.onIndex = kTagEndEntry;
    reentry.opcode = effEditOpen;
    reentry.ptr = &dummyParent;
    static int otherParent;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &otherParent), 1);
    EXPECT_EQ(reentry.answer, 1);
    EXPECT_TRUE(editor->isEditorOpen());
    EXPECT_EQ(headless::getWindowCount(), 1);
    for (int32_t i = 0; i < kNumParams; ++i)
        EXPECT_NE(editor->getLayoutControl(layoutRowOfTag(i)), nullptr) << i;
    EXPECT_NE(editor->getBitmap(PluginEditor::kFirstBitmapId), nullptr);
}

TEST_F(EditorReentryTest, ProgramChangeInsideAutomateDuringADrag) {
    reentry.onOpcode = audioMasterAutomate;
    reentry.opcode = effSetProgram;
    reentry.value = 4;
    dragMix(10);
    EXPECT_TRUE(reentry.done);
    EXPECT_EQ(dispatch(effGetProgram), 4);
    EXPECT_EQ(count(audioMasterBeginEdit), 1);
    EXPECT_EQ(count(audioMasterEndEdit), 1);
    expectControlsShowTheEffect();  // the effect's values again at the end
}

// Without re-entry: programs, a preset button, Slope Off and processing through the real effect.
TEST_F(EditorReentryTest, ProgramsButtonsSlopeOffAndFeedsThroughTheRealEffect) {
    for (int32_t program = 0; program < 8; ++program) {
        SCOPED_TRACE(program);
        dispatch(effSetProgram, 0, program);
        dispatch(effEditIdle);
        expectControlsShowTheEffect();
    }

    // A preset button loads its row, keeps the program's name and tells the host.
    char before[64] = {}, after[64] = {};
    dispatch(effGetProgramName, 0, 0, before);
    requests.clear();
    const int32_t tag = kTagPreset0 + 3;
    headless::press(window, centreOf(tag));
    expectControlsShowTheEffect();
    dispatch(effGetProgramName, 0, 0, after);
    EXPECT_STREQ(after, before);
    // Pressed and released: each runs the load and then tells the host.
    const std::vector<int32_t> expected = {
        tag << 8 | audioMasterBeginEdit, audioMasterUpdateDisplay, tag << 8 | audioMasterAutomate,
        tag << 8 | audioMasterEndEdit,   audioMasterUpdateDisplay, tag << 8 | audioMasterAutomate};
    EXPECT_EQ(requests, expected);

    // Slope Off: the ratio button moves Pitch Start with Pitch End; moving the start turns it off.
    effect->setParameter(effect, kPitchStart, 0.9f);
    headless::press(window, Point(100, 90));
    ASSERT_EQ(effect->getParameter(effect, kSlopeOff), 1.0f);
    headless::press(window, centreOf(kTagEndRatio0 + 3));  // 1/2
    EXPECT_EQ(effect->getParameter(effect, kPitchStart), 0.5f);
    EXPECT_EQ(control(kPitchStart)->getValue(), 0.5f);
    effect->setParameter(effect, kPitchStart, 0.8f);
    EXPECT_EQ(control(kSlopeOff)->getValue(), 0.0f);
    EXPECT_EQ(control(kPitchStart)->getValue(), 0.8f);

    // Processing feeds the meters and the sweep display: silence, then a loud burst.
    dispatch(effSetBlockSize, 0, 512);
    std::vector<float> left(512), right(512), outLeft(512), outRight(512);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    uint32_t noise = 1;
    float peakLevel = 0.0f;
    int32_t points = 0;
    for (int32_t block = 0; block < 30; ++block) {
        for (int32_t i = 0; i < 512; ++i) {
            noise = noise * 1664525u + 1013904223u;
            left[i] = right[i] =
                block >= 20 ? static_cast<float>(noise >> 8) / 8388608.0f - 1.0f : 0;
        }
        effect->processReplacing(effect, inputs, outputs, 512);
        peakLevel = std::max(peakLevel, editor->getLayoutControl(kRowLeftMeter)->getValue());
        dispatch(effEditIdle);
        for (int32_t b = 0; b < 3; ++b)
            points = std::max(points, editor->getDisplay()->getCount(b));
    }
    EXPECT_GT(peakLevel, 0.0f);
    EXPECT_GT(points, 0);
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("effect-after-bursts", "editor")));
}

}  // namespace
}  // namespace brindlet::test
