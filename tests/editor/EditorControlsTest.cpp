// The editor's own controls: the toggle, the position switch, the text display and the entry.
#include <cstring>
#include <string>

#include "editor/OnOffButton.h"
#include "editor/TextDisplay.h"
#include "editor/TextEdit.h"
#include "editor/VerticalSwitch.h"
#include "tests/editor/EditorTestSupport.h"
#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/draw/DrawContext.h"

namespace brindlet::test {
namespace {

constexpr Color kImageColors[4] = {{200, 0, 0, 0}, {0, 200, 0, 0}, {0, 0, 200, 0}, {90, 90, 90, 0}};
const Rect kSwitchRect(194, 200, 250, 302);
const Rect kEntryRect(385, 127, 428, 146);

class ControlsTest : public FrameWindowTest {
protected:
    void SetUp() override {
        FrameWindowTest::SetUp();
        window = frame->getWindow();
        headless::paint(window, Rect(0, 0, 465, 360));
    }
    void TearDown() override {
        for (Bitmap* b : bitmaps) b->release();  // the controls keep theirs until the frame goes
        FrameWindowTest::TearDown();
    }
    // A bitmap of `images` stacked images of w x h, image k filled with kImageColors[k].
    Bitmap* stackedBitmap(int32_t w, int32_t h, int32_t images) {
        const std::vector<uint8_t> bmp =
            makeBmp(w, h * images, [h](int32_t, int32_t y) { return kImageColors[y / h]; });
        bitmaps.push_back(new Bitmap(bmp.data(), bmp.size()));
        return bitmaps.back();
    }
    template <typename T>
    T* add(T* control) {
        frame->addView(control);
        return control;
    }
    Color at(int32_t x, int32_t y) const { return headless::getWindowPixel(window, x, y); }
    void press(const Point& where, uint32_t physical = kPhysicalLeft,
               const std::vector<headless::InputStep>& moves = {}) {
        headless::press(window, where, physical, moves);
    }

    NativeWindow* window = nullptr;
    std::vector<Bitmap*> bitmaps;
};

TEST_F(ControlsTest, ToggleFlipsOnEveryLeftPressAndDrawsOnAsAnyNonZeroValue) {
    auto* toggle =
        add(new OnOffButton(Rect(83, 84, 140, 99), &listener, 13, stackedBitmap(57, 15, 2)));
    press({90, 90});
    press({90, 90}, kPhysicalLeft | kPhysicalShift);  // modifiers may be held
    press({90, 90}, kPhysicalRight);                  // ignored
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));
    EXPECT_TRUE(editor.events.empty());  // no edit bracket for a toggle
    toggle->setValue(0.3f);
    frame->idle();
    EXPECT_EQ(at(100, 90), kImageColors[1]);
    press({90, 90});
    EXPECT_EQ(toggle->getValue(), 1.0f);
}

TEST_F(ControlsTest, SwitchBandsOf25AndAHalfPixelsAndTheImageOfEachPosition) {
    auto* sw =
        add(new VerticalSwitch(kSwitchRect, &listener, 8, 102, 4, stackedBitmap(56, 102, 4)));
    const std::pair<int32_t, float> clicks[] = {
        {277, 1.0f},        {200, 0.0f},        {226, 1.0f / 3.0f}, {225, 0.0f},
        {251, 2.0f / 3.0f}, {250, 1.0f / 3.0f}, {276, 2.0f / 3.0f}, {302, 1.0f},
    };
    for (const auto& [v, expected] : clicks) {
        press({220, v});
        EXPECT_EQ(sw->getValue(), expected) << v;
    }
    EXPECT_EQ(editor.events.front(), "begin 8");
    EXPECT_EQ(editor.events.back(), "end 8");
    for (int32_t p = 0; p < 5; ++p) {
        sw->setValue(p < 4 ? static_cast<float>(p) / 3.0f : 7.0f);  // none beyond the last
        frame->idle();
        EXPECT_EQ(at(220, 250), kImageColors[std::min(p, 3)]) << p;
    }
}

TEST_F(ControlsTest, SwitchDragClampsReportsOnlyChangesAndControlClickResets) {
    auto* sw = add(new VerticalSwitch(kSwitchRect, &listener, 8, 102, 4, nullptr));
    sw->setValue(1.0f);
    press({220, 210}, kPhysicalLeft,
          dragSteps({{220, 212}, {220, 190}, {220, 120}, {220, 240}, {220, 400}}));
    // 210, 212, 190 (a small negative band truncates to 0) and 120 all give 0.
    EXPECT_EQ(listener.values(), (std::vector<float>{0.0f, 1.0f / 3.0f, 1.0f}));
    listener.reports.clear();
    press({220, 210}, kPhysicalLeft, {{kPhysicalLeft | kPhysicalShift, {220, 290}}});
    EXPECT_EQ(listener.values(), (std::vector<float>{0.0f}));  // a modifier ends the drag
    listener.reports.clear();
    editor.events.clear();
    frame->idle();  // drawn at 0: clean, nothing to report
    press({220, 290}, kPhysicalLeft | kPhysicalControl);
    sw->setValue(2.0f / 3.0f);
    frame->idle();
    press({220, 290}, kPhysicalLeft | kPhysicalControl);
    EXPECT_EQ(listener.values(), (std::vector<float>{0.0f}));
    EXPECT_TRUE(editor.events.empty());
}

void formatPercent(float value, char* text) {
    std::snprintf(text, 32, "%d%%", static_cast<int>(value * 100.0f));
}

TEST_F(ControlsTest, TextDisplayDrawsFillEdgesAndText) {
    auto* plain = add(new TextDisplay(Rect(10, 10, 80, 30), nullptr, 0));
    plain->setTransparent(false);
    plain->setBackColor({0, 0, 90, 0});
    plain->setFrameColor({200, 200, 0, 0});
    plain->setValue(0.5f);
    auto* edged = add(new TextDisplay(Rect(10, 40, 80, 60), nullptr, kStyle3DIn | kStyleNoText));
    edged->setTransparent(false);
    edged->setBackColor({0, 90, 0, 0});
    edged->setFrameColor({250, 250, 250, 0});
    auto* hidden = add(new TextDisplay(Rect(10, 70, 80, 90), nullptr, kStyleNoDraw));
    hidden->setStringConvert(formatPercent);
    hidden->setDirty(true);
    frame->idle();
    EXPECT_EQ(at(10, 10), (Color{200, 200, 0, 0}));    // the outline
    EXPECT_EQ(at(12, 12), (Color{0, 0, 90, 0}));       // the fill
    EXPECT_EQ(at(10, 45), (Color{0, 90, 0, 0}));       // 3D in: upper-left in the back colour
    EXPECT_EQ(at(80, 45), (Color{250, 250, 250, 0}));  // lower-right in the frame colour
    EXPECT_EQ(at(45, 80), (Color{0, 0, 0, 0}));        // nothing at all
    int32_t light = 0;  // "0.50" in white, smoothed at its edges, over the fill
    for (int32_t y = 11; y < 30; ++y) {
        for (int32_t x = 11; x < 80; ++x) light += at(x, y).red > 128;
    }
    EXPECT_GT(light, 10);
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("text-display", "editor")));
}

TEST_F(ControlsTest, EntryOpensTheNativeFieldOverItselfAndReportsOnlyChanges) {
    auto* entry = add(new TextEdit(kEntryRect, &listener, 41, "0.5000", nullptr, kStyle3DIn));
    press({400, 135});
    NativeEditField* field = headless::getOpenEditField();
    ASSERT_NE(field, nullptr);
    const headless::EditFieldState state = headless::getEditFieldState(field);
    EXPECT_EQ(state.bounds, Rect(385, 127, 429, 147));
    EXPECT_EQ(state.text, "0.5000");
    EXPECT_TRUE(state.allSelected && state.focused);
    EXPECT_EQ(state.maxLength, 255);
    EXPECT_EQ(state.fontHeight, -12);  // the table's size fits the 19-pixel field
    EXPECT_EQ(frame->getFocusView(), entry);
    // A second click on the open field does nothing. (Through the frame, a click would first
    // take the focus away; on a real window the native field itself receives it.)
    headless::setInput(kPhysicalLeft, {400, 135});
    DrawContext context(frame, nullptr, window);
    entry->onMouseDown(&context, {400, 135});
    headless::setInput(0, {400, 135});
    EXPECT_EQ(headless::getOpenEditField(), field);
    EXPECT_EQ(headless::getEditFieldCount(), 1);
    headless::pressEnterInEditField(field);
    EXPECT_TRUE(listener.reports.empty());
    EXPECT_EQ(frame->getFocusView(), nullptr);

    press({400, 135});
    headless::typeIntoEditField(headless::getOpenEditField(), "0.25");
    headless::pressEnterInEditField(headless::getOpenEditField());
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_EQ(listener.reports[0].tag, 41);
    EXPECT_TRUE(listener.reports[0].withContext);  // a temporary context on the window
    char text[kTextBufferSize];
    entry->getText(text);
    EXPECT_STREQ(text, "0.25");
    EXPECT_EQ(entry->getValue(), 0.0f);  // the value is not touched
}

TEST_F(ControlsTest, EntryWithDoubleClickStyleOpensOnTheSecondClickOnly) {
    add(new TextEdit(kEntryRect, &listener, 41, nullptr, nullptr, kStyle3DIn | kStyleDoubleClick));
    headless::setTicks(1000);
    press({400, 135});
    EXPECT_EQ(headless::getEditFieldCount(), 0);
    headless::advanceTicks(600);  // longer than the double-click time
    press({400, 135});
    EXPECT_EQ(headless::getEditFieldCount(), 0);
    headless::advanceTicks(100);
    press({400, 135});
    EXPECT_EQ(headless::getEditFieldCount(), 1);
}

TEST_F(ControlsTest, EntryTextsAreBoundedAndDestroyingTheFrameClosesAnOpenField) {
    const std::string longText(1000, 'x');
    auto* entry = add(new TextEdit(kEntryRect, &listener, 41, longText.c_str(), nullptr, 0));
    char text[kTextBufferSize];
    entry->getText(text);
    EXPECT_EQ(std::strlen(text), 255u);
    frame->idle();
    entry->setText(nullptr);
    entry->setText(longText.c_str());  // the same first 255 characters
    EXPECT_FALSE(entry->isDirty());
    entry->setText("1");
    EXPECT_TRUE(entry->isDirty());
    entry->getText(nullptr);

    press({400, 135});
    headless::typeIntoEditField(headless::getOpenEditField(), "b");
    delete frame;
    frame = nullptr;
    EXPECT_EQ(headless::getEditFieldCount(), 0);
    EXPECT_EQ(listener.reports.size(), 1u);
}

TEST_F(ControlsTest, ToggleSwitchAndTextDrawAChangeThatLandedWhileTheyDrew) {
    DrawContext context(frame, headless::getWindowSurface(window), window);
    auto* toggle = add(new ChangedWhileDrawn<OnOffButton>(Rect(83, 84, 140, 99), &listener, 13,
                                                          stackedBitmap(57, 15, 2)));
    expectChangeDuringDrawIsDrawnNext(toggle, &context, 0.0f, 1.0f);
    EXPECT_EQ(at(83, 84), kImageColors[1]);
    auto* sw = add(new ChangedWhileDrawn<VerticalSwitch>(kSwitchRect, &listener, 8, 102, 4,
                                                         stackedBitmap(56, 102, 4)));
    expectChangeDuringDrawIsDrawnNext(sw, &context, 0.0f, 1.0f);
    EXPECT_EQ(at(kSwitchRect.left, kSwitchRect.top), kImageColors[3]);
    auto* display = add(new ChangedWhileDrawn<TextDisplay>(Rect(385, 127, 428, 146), nullptr, 0));
    expectChangeDuringDrawIsDrawnNext(display, &context, 0.25f, 0.5f);
}

}  // namespace
}  // namespace brindlet::test
