// The editor behind the real effect, driven through the plug-in record as a host drives it.
#include <algorithm>
#include <string>
#include <vector>

#include "editor/SweepDisplay.h"
#include "include/vst2/aeffect.h"
#include "shell/PluginEffect.h"
#include "tests/editor/EditorTestSupport.h"

namespace brindlet::test {
namespace {

// Host requests but idle: opcodes, or index << 8 | opcode for automation.
std::vector<int32_t> requests;

intptr_t VST2_CALL recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float) {
    if (opcode != audioMasterIdle) {
        requests.push_back(opcode == audioMasterAutomate ? index << 8 | opcode : opcode);
    }
    return opcode == audioMasterVersion ? 2400 : 0;
}

TEST(EffectEditorTest, ProgramsButtonsSlopeOffFeedsAndCloseThroughTheRealEffect) {
    headless::reset();
    AEffect* effect = createEffect(recordingHost);
    ASSERT_NE(effect, nullptr);
    auto dispatch = [effect](int32_t opcode, int32_t index = 0, intptr_t value = 0,
                             void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    };
    auto* editor =
        static_cast<PluginEditor*>(static_cast<PluginEffect*>(effect->object)->getEditor());
    auto control = [editor](int32_t tag) { return editor->getLayoutControl(layoutRowOfTag(tag)); };
    auto expectControlsShowTheEffect = [&](int32_t program) {
        for (int32_t i = 0; i < kNumParams; ++i) {
            EXPECT_EQ(control(i)->getValue(), effect->getParameter(effect, i))
                << program << " " << i;
        }
    };
    dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effSetBlockSize, 0, 512);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effSetProgram, 0, 5);
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, fakeParentWindow()), 1);
    NativeWindow* window = editor->getFrame()->getWindow();
    headless::paint(window, Rect(0, 0, 465, 360));
    expectControlsShowTheEffect(5);
    auto click = [window](int32_t tag) { headless::press(window, centreOf(tag)); };

    // Program changes while open move the controls.
    for (int32_t program = 0; program < 8; ++program) {
        dispatch(effSetProgram, 0, program);
        dispatch(effEditIdle);
        expectControlsShowTheEffect(program);
    }

    // A preset button loads its row, keeps the program's name and tells the host.
    char before[64] = {}, after[64] = {};
    dispatch(effGetProgramName, 0, 0, before);
    requests.clear();
    click(kTagPreset0 + 3);
    expectControlsShowTheEffect(-3);
    dispatch(effGetProgramName, 0, 0, after);
    EXPECT_STREQ(after, before);
    const int32_t automate = (kTagPreset0 + 3) << 8 | audioMasterAutomate;
    // Pressed and released: each runs the load and then tells the host.
    const std::vector<int32_t> expected = {
        audioMasterBeginEdit, audioMasterUpdateDisplay, automate,
        audioMasterEndEdit,   audioMasterUpdateDisplay, automate};
    EXPECT_EQ(requests, expected);

    // Slope Off: the ratio button moves Pitch Start with Pitch End; moving the start turns it off.
    effect->setParameter(effect, kPitchStart, 0.9f);
    headless::press(window, Point(100, 90));
    ASSERT_EQ(effect->getParameter(effect, kSlopeOff), 1.0f);
    click(kTagEndRatio0 + 3);  // 1/2
    EXPECT_EQ(effect->getParameter(effect, kPitchStart), 0.5f);
    EXPECT_EQ(control(kPitchStart)->getValue(), 0.5f);
    effect->setParameter(effect, kPitchStart, 0.8f);
    EXPECT_EQ(control(kSlopeOff)->getValue(), 0.0f);
    EXPECT_EQ(control(kPitchStart)->getValue(), 0.8f);

    // Processing feeds the meters and the sweep display: silence, then a loud burst.
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
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("effect-after-bursts")));

    // Closing the instance with the window and its entry field open closes them first.
    click(kTagEndEntry);
    ASSERT_EQ(headless::getEditFieldCount(), 1);
    dispatch(effClose);
    EXPECT_EQ(headless::getWindowCount(), 0);
    EXPECT_EQ(headless::getEditFieldCount(), 0);
    headless::reset();
}

}  // namespace
}  // namespace brindlet::test
