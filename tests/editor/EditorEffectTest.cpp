// The editor behind the real effect, driven through the plug-in record as a host drives it.
#include <cmath>
#include <cstring>
#include <vector>

#include "editor/SweepDisplay.h"
#include "include/vst2/aeffect.h"
#include "shell/PluginEffect.h"
#include "tests/editor/EditorTestSupport.h"

namespace brindlet::test {
namespace {

struct HostRequest {
    int32_t opcode;
    int32_t index;
    float opt;
};

std::vector<HostRequest>& requests() {
    static std::vector<HostRequest> log;
    return log;
}

intptr_t VST2_CALL recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*,
                                 float opt) {
    requests().push_back({opcode, index, opt});
    return opcode == audioMasterVersion ? 2400 : 0;
}

class EffectEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        requests().clear();
        effect = createEffect(recordingHost);
        ASSERT_NE(effect, nullptr);
        editor =
            static_cast<PluginEditor*>(static_cast<PluginEffect*>(effect->object)->getEditor());
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override {
        if (effect) dispatch(effClose);
        headless::reset();
    }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void openAndPaint() {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, fakeParentWindow()), 1);
        window = editor->getFrame()->getWindow();
        headless::paint(window, Rect(0, 0, 465, 360));
        requests().clear();
    }
    float parameter(int32_t index) { return effect->getParameter(effect, index); }
    Control* control(int32_t tag) const { return editor->getLayoutControl(layoutRowOfTag(tag)); }
    void click(int32_t tag) {
        const Rect& r = kEditorLayout[layoutRowOfTag(tag)].bounds;
        headless::press(window, Point((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    std::vector<HostRequest> requestsOf(int32_t opcode) const {
        std::vector<HostRequest> out;
        for (const HostRequest& r : requests()) {
            if (r.opcode == opcode) out.push_back(r);
        }
        return out;
    }
    std::string programName() {
        char name[64] = {};
        dispatch(effGetProgramName, 0, 0, name);
        return name;
    }

    AEffect* effect = nullptr;
    PluginEditor* editor = nullptr;
    NativeWindow* window = nullptr;
};

TEST_F(EffectEditorTest, OpenShowsTheEffectsState) {
    dispatch(effSetProgram, 0, 5);
    openAndPaint();
    for (int32_t i = 0; i < kNumParams; ++i) EXPECT_EQ(control(i)->getValue(), parameter(i)) << i;
    char text[kTextBufferSize];
    editor->getTextEdit()->getText(text);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%.4f", static_cast<double>(parameter(kPitchEnd)));
    EXPECT_STREQ(text, expected);
}

TEST_F(EffectEditorTest, SlopeOffMovesThePitchStartSliderWithTheEnd) {
    openAndPaint();
    effect->setParameter(effect, kPitchStart, 0.9f);
    headless::press(window, Point(100, 90));  // Slope Off on
    ASSERT_EQ(parameter(kSlopeOff), 1.0f);
    EXPECT_EQ(control(kSlopeOff)->getValue(), 1.0f);
    click(kTagEndRatio0 + 3);  // 1/2
    EXPECT_EQ(parameter(kPitchEnd), 0.5f);
    EXPECT_EQ(parameter(kPitchStart), 0.5f);
    EXPECT_EQ(control(kPitchStart)->getValue(), 0.5f);
    // Moving the start turns Slope Off off in the engine, and the editor hears of it.
    effect->setParameter(effect, kPitchStart, 0.8f);
    EXPECT_EQ(control(kSlopeOff)->getValue(), 0.0f);
    EXPECT_EQ(control(kPitchStart)->getValue(), 0.8f);
}

TEST_F(EffectEditorTest, PresetButtonLoadsTheRowKeepsTheNameAndUpdatesTheHost) {
    openAndPaint();
    const std::string before = programName();
    click(kTagPreset0 + 3);
    for (int32_t i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(control(i)->getValue(), parameter(i)) << i;
    }
    EXPECT_EQ(programName(), before);
    EXPECT_EQ(requestsOf(audioMasterUpdateDisplay).size(), 2u);
    const std::vector<HostRequest> automated = requestsOf(audioMasterAutomate);
    ASSERT_EQ(automated.size(), 2u);
    EXPECT_EQ(automated[0].index, kTagPreset0 + 3);
    EXPECT_EQ(automated[1].index, kTagPreset0 + 3);
    EXPECT_EQ(requestsOf(audioMasterBeginEdit).size(), 1u);
    EXPECT_EQ(requestsOf(audioMasterEndEdit).size(), 1u);
}

TEST_F(EffectEditorTest, ProgramChangesWhileOpenMoveTheControls) {
    openAndPaint();
    for (int32_t program = 0; program < 8; ++program) {
        dispatch(effSetProgram, 0, program);
        dispatch(effEditIdle);
        for (int32_t i = 0; i < kNumParams; ++i) {
            EXPECT_EQ(control(i)->getValue(), parameter(i)) << program << " " << i;
        }
    }
}

TEST_F(EffectEditorTest, EngineFeedsReachTheMetersAndTheDisplay) {
    dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effSetBlockSize, 0, 512);
    dispatch(effMainsChanged, 0, 1);
    openAndPaint();
    std::vector<float> left(512), right(512), outLeft(512), outRight(512);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    uint32_t noise = 1;
    float peakLevel = 0.0f;
    int32_t points = 0;
    for (int32_t block = 0; block < 60; ++block) {
        // Silence, then a loud burst every half second.
        const bool loud = block % 40 >= 20 && block % 40 < 24;
        for (int32_t i = 0; i < 512; ++i) {
            noise = noise * 1664525u + 1013904223u;
            const float sample = loud ? (static_cast<float>(noise >> 8) / 8388608.0f - 1.0f) : 0.0f;
            left[i] = right[i] = sample;
        }
        effect->processReplacing(effect, inputs, outputs, 512);
        peakLevel = std::max(peakLevel, editor->getLayoutControl(kRowLeftMeter)->getValue());
        dispatch(effEditIdle);
        int32_t shown = 0;
        for (int32_t b = 0; b < 3; ++b) shown += editor->getDisplay()->getCount(b);
        points = std::max(points, shown);
    }
    EXPECT_GT(peakLevel, 0.0f);
    EXPECT_GT(points, 0);
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("effect-after-bursts")));
}

TEST_F(EffectEditorTest, ClosingTheInstanceWithTheWindowOpenClosesTheWindowFirst) {
    openAndPaint();
    click(kTagEndEntry);
    ASSERT_EQ(headless::getEditFieldCount(), 1);
    dispatch(effClose);
    effect = nullptr;
    EXPECT_EQ(headless::getWindowCount(), 0);
    EXPECT_EQ(headless::getEditFieldCount(), 0);
}

}  // namespace
}  // namespace brindlet::test
