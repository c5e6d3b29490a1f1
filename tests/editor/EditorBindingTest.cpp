// The binding: quantised slider edits, button and entry actions, feeds, and what the effect and
// the host see of each.
#include <cmath>
#include <cstring>
#include <string>

#include "editor/SweepDisplay.h"
#include "tests/editor/EditorTestSupport.h"
#include "toolkit/controls/Slider.h"

namespace brindlet::test {
namespace {

// ---- Slider edits ----------------------------------------------------------------------------

struct QuantiseCase {
    int32_t tag;
    float dragged;
    float sent;
};

TEST_F(EditorTest, PitchSlidersSnapToHundredthsOthersPassUnchanged) {
    openAndPaint();
    const QuantiseCase cases[] = {
        {kPitchStart, 0.337f, 0.34f}, {kPitchEnd, 0.125f, 0.12f},    {kPitchStart, 0.995f, 1.0f},
        {kPitchEnd, 0.004f, 0.0f},    {kPitchDecay, 0.337f, 0.337f}, {kMix, 0.125f, 0.125f},
    };
    for (const QuantiseCase& c : cases) {
        SCOPED_TRACE(c.dragged);
        host.calls.clear();
        Control* slider = control(c.tag);
        slider->setValue(c.dragged);
        editor->valueChanged(nullptr, slider);
        const std::vector<HostCall> expected = {{HostCall::Set, c.tag, c.sent},
                                                {HostCall::Automate, c.tag, c.sent}};
        EXPECT_EQ(host.calls, expected);
        EXPECT_EQ(slider->getValue(), c.sent);  // the effect's value comes back to the slider
    }
}

TEST_F(EditorTest, DraggingASliderAutomatesWithinItsEditBracketAndDrawsAtOnce) {
    openAndPaint();
    // A free click grabs the handle 9 pixels below its top edge: v = 113 puts that edge 70
    // pixels down the 100-pixel travel, value 0.3.
    headless::press(window, Point(160, 84), kPhysicalLeft,
                    {{kPhysicalLeft, Point(160, 84)}, {kPhysicalLeft, Point(160, 113)}});
    const std::vector<HostCall> automated = host.callsOf(HostCall::Automate);
    ASSERT_FALSE(automated.empty());
    EXPECT_EQ(host.calls.front(), (HostCall{HostCall::BeginEdit, kPitchStart}));
    EXPECT_EQ(host.calls.back(), (HostCall{HostCall::EndEdit, kPitchStart}));
    EXPECT_FLOAT_EQ(automated.back().value, 0.3f);
    EXPECT_FLOAT_EQ(host.params[kPitchStart], 0.3f);
    EXPECT_FALSE(control(kPitchStart)->isDirty());  // drawn while the gesture ran
}

// ---- Buttons ---------------------------------------------------------------------------------

TEST_F(EditorTest, RatioButtonSetsPitchEndPlainlyAndAutomatesOnlyItsTag) {
    openAndPaint();
    click(centreOf(kTagEndRatio0 + 7));
    const std::vector<HostCall> automated = host.callsOf(HostCall::Automate);
    const std::vector<HostCall> expectedAutomate = {{HostCall::Automate, 37, 1.0f},
                                                    {HostCall::Automate, 37, 0.0f}};
    EXPECT_EQ(automated, expectedAutomate);
    for (const HostCall& c : host.callsOf(HostCall::Set)) {
        if (c.index == kPitchEnd) {
            EXPECT_EQ(c.value, 0.125f);
        }
    }
    EXPECT_EQ(host.calls.front(), (HostCall{HostCall::BeginEdit, 37}));
    EXPECT_EQ(host.callsOf(HostCall::EndEdit).size(), 1u);
    EXPECT_EQ(host.params[kPitchEnd], 0.125f);
    EXPECT_EQ(control(kPitchEnd)->getValue(), 0.125f);
    editor->idle();
    EXPECT_EQ(entryText(), "0.1250");
    EXPECT_TRUE(host.callsOf(HostCall::UpdateDisplay).empty());
}

TEST_F(EditorTest, PresetButtonLoadsItsRowMovesEveryControlAndUpdatesTheHostDisplay) {
    openAndPaint();
    for (int32_t k = 0; k < kNumPresetButtons; ++k) {
        SCOPED_TRACE(k);
        host.calls.clear();
        click(centreOf(kTagPreset0 + k));
        const float* row = kFactoryPresetTable[k].values;
        for (int32_t i = 0; i < kNumParams; ++i) {
            EXPECT_EQ(host.params[i], row[i]) << i;
            EXPECT_EQ(control(i)->getValue(), row[i]) << i;
        }
        // Pressed and released: the load runs twice, each followed by one display update.
        EXPECT_EQ(host.callsOf(HostCall::UpdateDisplay).size(), 2u);
        for (const HostCall& c : host.callsOf(HostCall::Automate)) {
            EXPECT_EQ(c.index, kTagPreset0 + k);
        }
        // The load comes in index order, then the display update.
        std::vector<int32_t> order;
        for (const HostCall& c : host.calls) {
            if (c.kind == HostCall::Set && c.index < kNumParams) order.push_back(c.index);
            if (c.kind == HostCall::UpdateDisplay) break;
        }
        ASSERT_EQ(order.size(), 14u);
        for (int32_t i = 0; i < kNumParams; ++i) EXPECT_EQ(order[i], i);
    }
}

TEST_F(EditorTest, ResetButtonsCentreEnvModAndFeedback) {
    host.params[kEnvMod] = 0.9f;
    host.params[kFeedback] = 0.1f;
    openAndPaint();
    click(centreOf(kTagResetEnvMod));
    EXPECT_EQ(host.params[kEnvMod], 0.5f);
    EXPECT_EQ(host.params[kFeedback], 0.1f);
    click(centreOf(kTagResetFeedback));
    EXPECT_EQ(host.params[kFeedback], 0.5f);
    EXPECT_EQ(control(kEnvMod)->getValue(), 0.5f);
    EXPECT_EQ(control(kFeedback)->getValue(), 0.5f);
    for (const HostCall& c : host.callsOf(HostCall::Automate)) {
        EXPECT_TRUE(c.index == kTagResetEnvMod || c.index == kTagResetFeedback);
    }
}

TEST_F(EditorTest, ToggleAndSwitchReportTheirValuesToTheEffect) {
    openAndPaint();
    click(Point(100, 90));
    EXPECT_EQ(host.params[kSlopeOff], 1.0f);
    headless::press(window, Point(220, 290));
    EXPECT_EQ(host.params[kTrigMode], 1.0f);
    EXPECT_EQ(host.calls.back(), (HostCall{HostCall::EndEdit, kTrigMode}));
}

// ---- Typed entry -----------------------------------------------------------------------------

struct EntryCase {
    const char* typed;
    float expected;
};

TEST_F(EditorTest, TypedEntrySetsPitchEndAndTheFieldShowsItBack) {
    openAndPaint();
    const EntryCase cases[] = {
        {"25", 0.25f}, {"1.5", 1.0f},  {"-0.3", 0.3f}, {"abc", 0.0f}, {"0.123456789", 0.12345f},
        {"5", 0.5f},   {".75", 0.75f},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.typed);
        host.calls.clear();
        click(centreOf(kTagEndEntry));
        NativeEditField* field = headless::getOpenEditField();
        ASSERT_NE(field, nullptr);
        headless::typeIntoEditField(field, c.typed);
        headless::pressEnterInEditField(field);
        EXPECT_EQ(headless::getEditFieldCount(), 0);
        EXPECT_EQ(host.params[kPitchEnd], c.expected);
        const std::vector<HostCall> automated = host.callsOf(HostCall::Automate);
        ASSERT_EQ(automated.size(), 1u);
        EXPECT_EQ(automated[0].index, kTagEndEntry);
        editor->idle();
        char shown[16];
        std::snprintf(shown, sizeof shown, "%.4f", static_cast<double>(c.expected));
        EXPECT_EQ(entryText(), shown);
    }
}

TEST_F(EditorTest, LeavingTheFieldUnchangedDoesNothing) {
    openAndPaint();
    click(centreOf(kTagEndEntry));
    headless::pressEnterInEditField(headless::getOpenEditField());
    click(centreOf(kTagEndEntry));
    headless::moveFocusAway(headless::getOpenEditField());
    EXPECT_TRUE(host.calls.empty());
    // Typed text is taken when the focus leaves too.
    click(centreOf(kTagEndEntry));
    headless::typeIntoEditField(headless::getOpenEditField(), "75");
    headless::moveFocusAway(headless::getOpenEditField());
    EXPECT_EQ(host.params[kPitchEnd], 0.75f);
}

TEST_F(EditorTest, ClickingElsewhereTakesTheTypedText) {
    openAndPaint();
    click(centreOf(kTagEndEntry));
    headless::typeIntoEditField(headless::getOpenEditField(), "3");
    click(Point(5, 5));  // the background
    EXPECT_EQ(headless::getEditFieldCount(), 0);
    EXPECT_EQ(host.params[kPitchEnd], 0.3f);
}

TEST(ParseEndEntryTest, ReadsSevenCharactersDigitsAndTheFirstPoint) {
    EXPECT_EQ(PluginEditor::parseEndEntry("25"), 0.25f);
    EXPECT_EQ(PluginEditor::parseEndEntry("05"), 0.05f);
    EXPECT_EQ(PluginEditor::parseEndEntry("1.5"), 1.0f);
    EXPECT_EQ(PluginEditor::parseEndEntry("-0.3"), 0.3f);
    EXPECT_EQ(PluginEditor::parseEndEntry("0.123456789"), 0.12345f);
    EXPECT_EQ(PluginEditor::parseEndEntry("0..5"), 0.5f);
    EXPECT_EQ(PluginEditor::parseEndEntry("1 2 3 4 5"), 0.1234f);
    EXPECT_EQ(PluginEditor::parseEndEntry("0,5"), 0.05f);
    EXPECT_EQ(PluginEditor::parseEndEntry("1e-3"), 0.13f);
    EXPECT_EQ(PluginEditor::parseEndEntry("."), 0.0f);
    EXPECT_EQ(PluginEditor::parseEndEntry(""), 0.0f);
    EXPECT_EQ(PluginEditor::parseEndEntry("letters"), 0.0f);
    EXPECT_EQ(PluginEditor::parseEndEntry(nullptr), 0.0f);
    EXPECT_EQ(PluginEditor::parseEndEntry("9999999999"), 0.9999999f);
    // Any bytes at all, and texts far longer than the field.
    const char bytes[] = {'\xff', '\x80', '\x01', '7', '\x7f', '\xfe', '\x1b', '9', '\0'};
    EXPECT_EQ(PluginEditor::parseEndEntry(bytes), 0.7f);
    const std::string longText(100000, '3');
    EXPECT_EQ(PluginEditor::parseEndEntry(longText.c_str()), 0.3333333f);
}

TEST_F(EditorTest, OverlongTypedTextIsCutSafely) {
    openAndPaint();
    click(centreOf(kTagEndEntry));
    headless::typeIntoEditField(headless::getOpenEditField(), std::string(1000, '4'));
    headless::pressEnterInEditField(headless::getOpenEditField());
    EXPECT_EQ(host.params[kPitchEnd], 0.4444444f);
}

// ---- Parameter changes -----------------------------------------------------------------------

TEST_F(EditorTest, PitchEndChangesReReadTheStartForSlopeOff) {
    openAndPaint();
    host.params[kPitchStart] = 0.6f;  // as the effect's Slope Off rule would leave it
    host.params[kPitchEnd] = 0.6f;
    editor->setParameter(kPitchEnd, 123.0f);  // the value argument is not used
    EXPECT_EQ(control(kPitchEnd)->getValue(), 0.6f);
    EXPECT_EQ(control(kPitchStart)->getValue(), 0.6f);
    host.params[kPitchStart] = 0.2f;
    editor->setParameter(kSlopeOff, 0.0f);
    EXPECT_EQ(control(kPitchStart)->getValue(), 0.2f);
    EXPECT_TRUE(editor->isUpdatePending());
}

TEST_F(EditorTest, ParameterChangesWaitForIdleToBeDrawn) {
    host.params[kMix] = 0.0f;
    openAndPaint();
    editor->idle();
    Control* mix = control(kMix);
    ASSERT_FALSE(mix->isDirty());
    host.params[kMix] = 1.0f;
    editor->setParameter(kMix, 1.0f);
    EXPECT_TRUE(mix->isDirty());
    const Color before = pixel(396, 300);
    editor->idle();
    EXPECT_FALSE(mix->isDirty());
    EXPECT_NE(pixel(396, 300), before);  // the handle left the bottom of the track
}

// ---- Feeds -----------------------------------------------------------------------------------

TEST_F(EditorTest, FeedsDriveTheMetersAndTheTraceAndFeed39ClearsThem) {
    host.params[kPitchStart] = 0.0f;  // the curve keeps to the bottom line
    host.params[kPitchEnd] = 0.0f;
    openAndPaint();
    Control* rightMeter = editor->getLayoutControl(kRowRightMeter);
    Control* leftMeter = editor->getLayoutControl(kRowLeftMeter);
    editor->setParameter(kFeedRise, 0.8f);
    editor->setParameter(kFeedLevel, 0.6f);
    EXPECT_EQ(rightMeter->getValue(), 0.8f);
    EXPECT_EQ(leftMeter->getValue(), 0.6f);
    editor->setParameter(kFeedSweep, 99.0f + 0.9f);
    for (int32_t i = 1; i < 20; ++i) editor->setParameter(kFeedSweep, 0.9f - 0.02f * i);
    editor->idle();
    SweepDisplay* display = editor->getDisplay();
    EXPECT_EQ(display->getCount(display->getCurrent()), 20);
    EXPECT_EQ(pixel(179, 144 - 90), (Color{0, 255, 0, 0}));

    editor->setParameter(kFeedIdle, 999.0f);
    EXPECT_EQ(rightMeter->getValue(), 0.0f);
    EXPECT_EQ(leftMeter->getValue(), 0.0f);
    editor->idle();
    for (int32_t b = 0; b < 3; ++b) EXPECT_EQ(display->getCount(b), 0);
    EXPECT_EQ(pixel(179, 144 - 90), (Color{0, 0, 0, 0}));
    EXPECT_TRUE(host.calls.empty());  // feeds never reach the effect
}

}  // namespace
}  // namespace brindlet::test
