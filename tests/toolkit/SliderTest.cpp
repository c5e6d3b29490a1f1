// Slider geometry, pointer mapping, fine adjustment, reset gesture, keys and wheel.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/controls/Slider.h"
#include "toolkit/draw/DrawContext.h"
#include "toolkit/draw/OffscreenContext.h"

namespace brindlet {
namespace {

using headless::InputStep;

int dummyParent;

class SliderTest : public test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        frame = new Frame(Rect(0, 0, 465, 360), &dummyParent, &editor);
        editor.frame = frame;
        const auto handleBytes = test::makeSolidBmp(21, 21, Color{200, 200, 200, 0});
        const auto trackBytes = test::makeSolidBmp(21, 121, Color{40, 40, 40, 0});
        handle = new Bitmap(handleBytes.data(), handleBytes.size());
        track = new Bitmap(trackBytes.data(), trackBytes.size());
    }
    void TearDown() override {
        delete frame;
        handle->release();
        track->release();
        HeadlessTest::TearDown();
    }

    // As the editor builds its "Env/ Mod" slider.
    VerticalSlider* addVertical(int32_t style = sliderMinBottom) {
        auto* s = new VerticalSlider(Rect(23, 192, 44, 313), &listener, 4, 192, 292, handle, track,
                                     Point(0, 0), style);
        s->setHandleOffset(Point(0, 0));
        frame->addView(s);
        return s;
    }
    // As the editor builds its "Pitch/ Decay" slider.
    HorizontalSlider* addHorizontal(int32_t style = sliderMinLeft) {
        auto* s = new HorizontalSlider(Rect(169, 14, 290, 35), &listener, 2, 169, 269, handle,
                                       track, Point(0, 0), style);
        s->setHandleOffset(Point(0, 0));
        frame->addView(s);
        return s;
    }
    void paintAll() { headless::paint(frame->getWindow(), Rect(0, 0, 465, 360)); }
    float pressAt(Slider* s, const Point& where, uint32_t physical = kPhysicalLeft,
                  const std::vector<InputStep>& moves = {}) {
        headless::press(frame->getWindow(), where, physical, moves);
        return s->getValue();
    }

    Frame* frame = nullptr;
    test::RecordingEditor editor;
    test::RecordingListener listener;
    Bitmap* handle = nullptr;
    Bitmap* track = nullptr;
};

TEST_F(SliderTest, HandlePositionsForBothOrientationsAndEndConventions) {
    VerticalSlider* v = addVertical();
    EXPECT_EQ(v->getStyle(), 66);
    v->setValue(1.0f);
    EXPECT_EQ(v->handleRect(), Rect(0, 0, 21, 21));
    v->setValue(0.0f);
    EXPECT_EQ(v->handleRect(), Rect(0, 100, 21, 121));
    v->setValue(0.5f);
    EXPECT_EQ(v->handleRect(), Rect(0, 50, 21, 71));

    HorizontalSlider* h = addHorizontal();
    EXPECT_EQ(h->getStyle(), 9);
    h->setValue(0.25f);
    EXPECT_EQ(h->handleRect(), Rect(25, 0, 46, 21));

    VerticalSlider* top = addVertical(sliderMinTop);  // value 0 at the top
    top->setValue(0.0f);
    EXPECT_EQ(top->handleRect(), Rect(0, 0, 21, 21));
    HorizontalSlider* right = addHorizontal(sliderMinRight);  // value 0 at the right
    right->setValue(0.0f);
    EXPECT_EQ(right->handleRect(), Rect(100, 0, 121, 21));

    v->setHandleOffset(Point(2, 3));
    EXPECT_EQ(v->getHandleMin(), 3);
    EXPECT_EQ(v->getHandleMax(), 124);
    v->setValue(1.0f);
    EXPECT_EQ(v->handleRect(), Rect(2, 3, 23, 24));
}

TEST_F(SliderTest, FreeClickMapsThePointerToTheValue) {
    VerticalSlider* v = addVertical();
    EXPECT_EQ(pressAt(v, {30, 301}), 0.0f);
    EXPECT_EQ(pressAt(v, {30, 201}), 1.0f);
    EXPECT_EQ(pressAt(v, {30, 251}), 0.5f);
    EXPECT_EQ(pressAt(v, {30, 192}), 1.0f);  // beyond the travel: clamped
    EXPECT_EQ(editor.events.front(), "begin 4");
    EXPECT_EQ(editor.events.back(), "end 4");
    EXPECT_EQ(frame->getFocusView(), v);

    HorizontalSlider* h = addHorizontal();
    EXPECT_EQ(pressAt(h, {228, 20}), 0.5f);  // grab point 169 + 10 - 1 = 178
    EXPECT_EQ(pressAt(h, {198, 20}), 0.2f);
    HorizontalSlider* flipped = addHorizontal(sliderMinRight);
    EXPECT_NEAR(pressAt(flipped, {198, 20}), 0.8f, 1e-6f);
    VerticalSlider* top = addVertical(sliderMinTop);
    EXPECT_EQ(pressAt(top, {30, 201}), 0.0f);
}

TEST_F(SliderTest, WithoutFreeClickOnlyTheHandleStartsADragAndKeepsItsGrip) {
    VerticalSlider* v = addVertical();
    v->setFreeClick(false);
    v->setValue(0.5f);  // handle at v 242..263 of the frame
    paintAll();
    EXPECT_EQ(pressAt(v, {30, 220}), 0.5f);
    EXPECT_TRUE(editor.events.empty());
    EXPECT_NEAR(pressAt(v, {30, 250}, kPhysicalLeft, test::dragSteps({{30, 260}, {30, 260}})), 0.4f,
                1e-6f);
    EXPECT_EQ(editor.events, (std::vector<std::string>{"begin 4", "end 4"}));
}

TEST_F(SliderTest, ShiftAdjustsFinelyFromWhereShiftWentDown) {
    VerticalSlider* v = addVertical();
    v->setValue(0.5f);
    paintAll();
    const uint32_t shifted = kPhysicalLeft | kPhysicalShift;
    pressAt(v, {30, 251}, kPhysicalLeft,
            {{kPhysicalLeft, {30, 241}},
             {shifted, {30, 241}},
             {shifted, {30, 191}},
             {shifted, {30, 141}},
             {kPhysicalLeft, {30, 141}}});
    const std::vector<float> seen = listener.values();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_NEAR(seen[0], 0.6f, 1e-6f);
    EXPECT_NEAR(seen[1], 0.65f, 1e-6f);  // 50 pixels with shift move a twentieth
    EXPECT_NEAR(seen[2], 0.7f, 1e-6f);
    EXPECT_EQ(seen[3], 1.0f);  // shift let go: the absolute position again
}

TEST_F(SliderTest, ControlClickResetsWithoutAnEditBracket) {
    VerticalSlider* v = addVertical();
    v->setValue(0.9f);
    paintAll();
    pressAt(v, {30, 300}, kPhysicalLeft | kPhysicalControl);
    EXPECT_EQ(v->getValue(), 0.5f);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_TRUE(listener.reports[0].withContext);
    EXPECT_TRUE(editor.events.empty());

    v->setDefaultValue(0.25f);
    pressAt(v, {30, 300}, kPhysicalLeft | kPhysicalControl);
    EXPECT_EQ(v->getValue(), 0.25f);
}

TEST_F(SliderTest, OtherButtonsDoNothingUnlessSwapped) {
    VerticalSlider* v = addVertical();
    v->setValue(0.9f);
    EXPECT_EQ(pressAt(v, {30, 251}, kPhysicalRight), 0.9f);
    headless::setButtonsSwapped(true);
    EXPECT_EQ(pressAt(v, {30, 251}, kPhysicalRight), 0.5f);
    v->setMouseEnabled(false);
    EXPECT_EQ(pressAt(v, {30, 201}, kPhysicalRight), 0.5f);
}

TEST_F(SliderTest, ArrowKeysAndWheelStep) {
    VerticalSlider* v = addVertical();
    v->setValue(0.5f);
    v->setDirty(false);
    EXPECT_EQ(v->onKeyDown(KeyCode{0, kKeyUp, 0}), 1);
    EXPECT_NEAR(v->getValue(), 0.6f, 1e-6f);
    EXPECT_EQ(v->onKeyDown(KeyCode{0, kKeyDown, kModifierShift}), 1);
    EXPECT_NEAR(v->getValue(), 0.59f, 1e-6f);
    EXPECT_EQ(v->onKeyDown(KeyCode{0, kKeyLeft, 0}), 1);
    EXPECT_NEAR(v->getValue(), 0.49f, 1e-6f);
    EXPECT_EQ(v->onKeyDown(KeyCode{0, kKeyEscape, 0}), -1);
    EXPECT_EQ(v->onKeyUp(KeyCode{0, kKeyUp, 0}), -1);
    ASSERT_EQ(listener.reports.size(), 3u);
    EXPECT_FALSE(listener.reports[0].withContext);

    v->setValue(1.0f);
    v->setDirty(false);
    listener.reports.clear();
    EXPECT_EQ(v->onKeyDown(KeyCode{0, kKeyUp, 0}), 1);
    EXPECT_EQ(v->getValue(), 1.0f);
    EXPECT_TRUE(listener.reports.empty());  // nothing changed

    HorizontalSlider* h = addHorizontal();  // keys do not depend on the orientation
    h->setValue(0.5f);
    h->onKeyDown(KeyCode{0, kKeyUp, 0});
    EXPECT_NEAR(h->getValue(), 0.6f, 1e-6f);

    h->setValue(0.5f);
    EXPECT_TRUE(h->onWheel(nullptr, {}, 1.0f));
    EXPECT_NEAR(h->getValue(), 0.6f, 1e-6f);
    headless::setInput(kPhysicalShift, {});
    EXPECT_TRUE(h->onWheel(nullptr, {}, -1.0f));
    EXPECT_NEAR(h->getValue(), 0.59f, 1e-6f);
    h->setMouseEnabled(false);
    EXPECT_FALSE(h->onWheel(nullptr, {}, 1.0f));
}

TEST_F(SliderTest, ArrowKeysReachTheSliderThatTookTheFocus) {
    VerticalSlider* a = addVertical();
    HorizontalSlider* b = addHorizontal();
    pressAt(a, {30, 251});
    b->setValue(0.5f);
    EXPECT_EQ(frame->onKeyDown(KeyCode{0, kKeyUp, 0}), 1);
    EXPECT_NEAR(a->getValue(), 0.6f, 1e-6f);
    EXPECT_EQ(b->getValue(), 0.5f);
}

TEST_F(SliderTest, ZeroTravelNanValuesAndMissingBitmapsAreSafe) {
    auto* flat =
        new VerticalSlider(Rect(0, 0, 21, 121), &listener, 1, 50, 50, handle, track, Point(0, 0));
    frame->addView(flat);
    flat->setValue(0.3f);
    EXPECT_EQ(pressAt(flat, {10, 60}, kPhysicalLeft, test::dragSteps({{10, 90}})), 0.3f);
    EXPECT_EQ(flat->handleRect(), Rect(0, 50, 21, 71));

    auto* bare = new HorizontalSlider(Rect(0, 200, 121, 221), nullptr, 2, 0, 100, nullptr, nullptr,
                                      Point(0, 0));
    frame->addView(bare);
    EXPECT_EQ(bare->handleRect().width(), 1);  // no handle bitmap: 1 x 1
    pressAt(bare, {50, 210});
    bare->setValue(std::numeric_limits<float>::quiet_NaN());
    paintAll();
    bare->setValue(std::numeric_limits<float>::infinity());
    frame->redrawView(bare);
    bare->onKeyDown(KeyCode{0, kKeyUp, 0});

    auto* detached =
        new VerticalSlider(Rect(0, 0, 21, 121), &listener, 3, 0, 100, handle, track, Point(0, 0));
    DrawContext context(nullptr, headless::getWindowSurface(frame->getWindow()), nullptr);
    detached->draw(&context);  // no offscreen while detached: nothing drawn
    EXPECT_FALSE(detached->isDirty());
    detached->onMouseDown(nullptr, {5, 5});
    detached->release();
}

TEST_F(SliderTest, OffscreenLivesWhileAttached) {
    VerticalSlider* v = addVertical();
    ASSERT_NE(v->getOffscreen(), nullptr);
    EXPECT_EQ(v->getOffscreen()->getWidth(), 21);
    EXPECT_EQ(v->getOffscreen()->getHeight(), 121);
    v->retain();
    frame->removeView(v, true);
    EXPECT_EQ(v->getOffscreen(), nullptr);
    v->release();
}

TEST_F(SliderTest, ReplacingTheHandleTakesItsSize) {
    VerticalSlider* v = addVertical();
    const auto bytes = test::makeSolidBmp(15, 9, kRedColor);
    Bitmap* small = new Bitmap(bytes.data(), bytes.size());
    v->setHandle(small);
    EXPECT_EQ(small->getRefCount(), 2);
    EXPECT_EQ(handle->getRefCount(), 1);  // the slider gave its reference back
    v->setValue(1.0f);
    EXPECT_EQ(v->handleRect(), Rect(0, 0, 15, 9));
    small->release();
}

}  // namespace
}  // namespace brindlet
