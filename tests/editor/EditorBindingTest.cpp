// The binding: quantised slider edits, button and entry actions, feeds, and what the effect and
// the host see of each.
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "editor/SweepDisplay.h"
#include "tests/editor/EditorTestSupport.h"

namespace brindlet::test {
namespace {

TEST_F(EditorTest, PitchSlidersSnapToHundredthsOthersPassUnchanged) {
    openAndPaint();
    struct Case {
        int32_t tag;
        float dragged, sent;
    };
    std::vector<Case> cases = {{kPitchStart, 0.337f, 0.34f},  {kPitchEnd, 0.125f, 0.12f},
                               {kPitchStart, 0.995f, 1.0f},   {kPitchEnd, 0.004f, 0.0f},
                               {kPitchDecay, 0.337f, 0.337f}, {kMix, 0.125f, 0.125f}};
    // Every step is the float nearest to k / 100 (0.1f, not 0.099999994), on and off the grid.
    for (int32_t k = 0; k <= 100; ++k) {
        const float step = static_cast<float>(k / 100.0);
        cases.push_back({kPitchStart, step, step});
        cases.push_back({kPitchEnd, static_cast<float>((k + 0.3) / 100.0), step});
    }
    for (const auto& c : cases) {
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

TEST_F(EditorTest, RatioAndResetButtonsSetTheirTargetAndAutomateOnlyTheirTag) {
    host.params[kEnvMod] = 0.9f;
    host.params[kFeedback] = 0.1f;
    openAndPaint();
    const struct {
        int32_t button, target;
        float value;
    } cases[] = {{kTagEndRatio0 + 7, kPitchEnd, 0.125f},
                 {kTagResetEnvMod, kEnvMod, 0.5f},
                 {kTagResetFeedback, kFeedback, 0.5f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        host.calls.clear();
        click(centreOf(c.button));
        const std::vector<HostCall> automated = {{HostCall::Automate, c.button, 1.0f},
                                                 {HostCall::Automate, c.button, 0.0f}};
        EXPECT_EQ(host.callsOf(HostCall::Automate), automated);
        EXPECT_EQ(host.calls.front(), (HostCall{HostCall::BeginEdit, c.button}));
        EXPECT_EQ(host.callsOf(HostCall::EndEdit).size(), 1u);
        for (const HostCall& s : host.callsOf(HostCall::Set)) {
            EXPECT_TRUE(s.index != c.target || s.value == c.value);  // plainly, not quantised
        }
        EXPECT_EQ(host.params[c.target], c.value);
        EXPECT_EQ(control(c.target)->getValue(), c.value);
        EXPECT_TRUE(host.callsOf(HostCall::UpdateDisplay).empty());
    }
    editor->idle();
    EXPECT_EQ(entryText(), "0.1250");
    // The ratio buttons share their edge rows; the later one, on top, gets the click.
    host.calls.clear();
    click(Point(340, 57));
    ASSERT_FALSE(host.callsOf(HostCall::Automate).empty());
    EXPECT_EQ(host.callsOf(HostCall::Automate)[0].index, kTagEndRatio0 + 1);
}

// Also saves pictures of the whole panel for people to look at (and for the Windows build to be
// compared with): at program 0, after each preset button and with a sweep running.
TEST_F(EditorTest, PresetButtonLoadsItsRowInOrderThenUpdatesTheHostDisplay) {
    openAndPaint();
    for (int32_t i = 0; i < 12; ++i) editor->idle();  // the meters fall from full
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("editor-program-0", "editor")));
    EXPECT_NE(pixel(5, 5), kBlackColor);  // the panel's background, not just controls
    for (int32_t k = 0; k < kNumPresetButtons; ++k) {
        SCOPED_TRACE(k);
        host.calls.clear();
        click(centreOf(kTagPreset0 + k));
        for (int32_t i = 0; i < kNumParams; ++i) {
            EXPECT_EQ(host.params[i], kFactoryPresetTable[k].values[i]) << i;
            EXPECT_EQ(control(i)->getValue(), host.params[i]) << i;
        }
        // Pressed and released: the load runs twice, each followed by one display update.
        EXPECT_EQ(host.callsOf(HostCall::UpdateDisplay).size(), 2u);
        for (const HostCall& c : host.callsOf(HostCall::Automate)) {
            EXPECT_EQ(c.index, kTagPreset0 + k);
        }
        std::vector<int32_t> order;
        for (const HostCall& c : host.calls) {
            if (c.kind == HostCall::UpdateDisplay) break;
            if (c.kind == HostCall::Set && c.index < kNumParams) order.push_back(c.index);
        }
        ASSERT_EQ(order.size(), 14u);
        for (int32_t i = 0; i < kNumParams; ++i) EXPECT_EQ(order[i], i);
        editor->idle();
        const std::string name = "editor-preset-" + std::to_string(k);
        EXPECT_TRUE(headless::saveWindowPng(window, picturePath(name, "editor")));
    }

    // The last preset stays: three sweeps from its start level towards its end level, each a
    // little shorter; the last one is still arriving.
    editor->setParameter(kFeedRise, 0.55f);
    editor->setParameter(kFeedLevel, 0.8f);
    const float start = host.params[kPitchStart];
    const float end = host.params[kPitchEnd];
    const int32_t lengths[3] = {101, 90, 55};
    for (int32_t sweep = 0; sweep < 3; ++sweep) {
        for (int32_t i = 0; i < lengths[sweep]; ++i) {
            const float t = static_cast<float>(i) / (80.0f - 12.0f * static_cast<float>(sweep));
            const float rate = end + (start - end) * std::exp(-3.0f * t);
            editor->setParameter(kFeedSweep, i == 0 ? rate + 99.0f : rate);
            if (i % 5 == 4) editor->idle();
        }
    }
    editor->idle();
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("editor-sweep-running", "editor")));
}

struct EntryCase {
    const char* typed;
    float expected;
};

TEST_F(EditorTest, TypedEntryReadsSevenCharactersIntoPitchEnd) {
    const char bytes[] = {'\xff', '\x80', '\x01', '7', '\x7f', '\xfe', '\x1b', '9', '\0'};
    const std::string longText(100000, '3');
    const char* const threes = longText.c_str();
    // clang-format off
    const EntryCase cases[] = {
        {"25", 0.25f},     {"05", 0.05f},      {"1.5", 1.0f},            {"-0.3", 0.3f},
        {"abc", 0.0f},     {"letters", 0.0f},  {"", 0.0f},               {".", 0.0f},
        {".75", 0.75f},    {"0..5", 0.5f},     {"0,5", 0.05f},           {"1e-3", 0.13f},
        {bytes, 0.7f},     {threes, 0.3333333f}, {"0.123456789", 0.12345f}, {"1 2 3 4 5", 0.1234f},
        {"9999999999", 0.9999999f},
    };
    // clang-format on
    EXPECT_EQ(PluginEditor::parseEndEntry(nullptr), 0.0f);
    openAndPaint();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(PluginEditor::parseEndEntry(c.typed), c.expected);
        host.calls.clear();
        NativeEditField* field = openEntry();
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

TEST_F(EditorTest, FieldTakesTypedTextOnFocusLossOrAClickElsewhereAndIgnoresNoChange) {
    openAndPaint();
    headless::pressEnterInEditField(openEntry());
    headless::moveFocusAway(openEntry());
    EXPECT_TRUE(host.calls.empty());
    NativeEditField* field = openEntry();
    headless::typeIntoEditField(field, "75");
    headless::moveFocusAway(field);
    EXPECT_EQ(host.params[kPitchEnd], 0.75f);
    headless::typeIntoEditField(openEntry(), "3");
    click(Point(5, 5));  // the background
    EXPECT_EQ(headless::getEditFieldCount(), 0);
    EXPECT_EQ(host.params[kPitchEnd], 0.3f);
}

// A Pitch/ End change between two idles (automation, a note, a preset) must not leave the field
// opening with the old text, and an Enter that typed nothing new never sets an older value back.
TEST_F(EditorTest, EntryOpensWithTheValueInForceAndAnUntypedEnterChangesNothing) {
    host.params[kPitchEnd] = 0.5f;
    openAndPaint();
    editor->idle();
    ASSERT_EQ(entryText(), "0.5000");
    host.calls.clear();
    host.setParameter(kPitchEnd, 0.25f);
    NativeEditField* field = openEntry();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(headless::getEditFieldState(field).text, "0.2500");
    headless::pressEnterInEditField(field);
    EXPECT_EQ(host.params[kPitchEnd], 0.25f);
    EXPECT_TRUE(host.callsOf(HostCall::Automate).empty());

    // Values arriving while the field is open, on the window's thread or another one, are shown
    // by the field while nothing was typed, and stay when Enter is pressed.
    for (const bool otherThread : {false, true}) {
        SCOPED_TRACE(otherThread);
        field = openEntry();
        ASSERT_NE(field, nullptr);
        const float arriving = otherThread ? 0.125f : 0.75f;
        if (otherThread) {
            std::thread([&] { host.setParameter(kPitchEnd, arriving); }).join();
            editor->idle();
        } else {
            host.setParameter(kPitchEnd, arriving);
        }
        EXPECT_EQ(headless::getEditFieldState(field).text, otherThread ? "0.1250" : "0.7500");
        EXPECT_TRUE(headless::getEditFieldState(field).allSelected);
        headless::pressEnterInEditField(field);
        EXPECT_EQ(host.params[kPitchEnd], arriving);
        EXPECT_TRUE(host.callsOf(HostCall::Automate).empty());
    }
    // Typed text is a deliberate new value and wins over one that arrived meanwhile.
    field = openEntry();
    headless::typeIntoEditField(field, "0.3");
    host.setParameter(kPitchEnd, 0.6f);
    EXPECT_EQ(headless::getEditFieldState(field).text, "0.3");
    headless::pressEnterInEditField(field);
    EXPECT_EQ(host.params[kPitchEnd], 0.3f);
    EXPECT_EQ(host.callsOf(HostCall::Automate).size(), 1u);
    EXPECT_EQ(entryText(), "0.3000");
}

TEST_F(EditorTest, ParameterChangesWaitForIdleToBeDrawn) {
    host.params[kMix] = 0.0f;
    openAndPaint();
    editor->idle();
    host.params[kMix] = 1.0f;
    editor->setParameter(kMix, 1.0f);
    EXPECT_TRUE(control(kMix)->isDirty());
    const Color before = pixel(396, 300);
    editor->idle();
    EXPECT_FALSE(control(kMix)->isDirty());
    EXPECT_NE(pixel(396, 300), before);  // the handle left the bottom of the track
}

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
    EXPECT_EQ(display->getCount(display->getCurrent()), 20);  // the traces wait for the idle
    editor->idle();
    for (int32_t b = 0; b < 3; ++b) EXPECT_EQ(display->getCount(b), 0);
    EXPECT_EQ(pixel(179, 144 - 90), (Color{0, 0, 0, 0}));
    EXPECT_EQ(pixel(229, 144), (Color{255, 51, 51, 0}));  // the curve stays
    EXPECT_TRUE(host.calls.empty());                      // feeds never reach the effect
}

}  // namespace
}  // namespace brindlet::test
