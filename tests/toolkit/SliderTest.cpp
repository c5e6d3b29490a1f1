// Slider geometry, pointer mapping, fine adjustment, reset gesture, keys and wheel.
#include <gtest/gtest.h>

#include <limits>

#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/controls/Slider.h"
#include "toolkit/draw/DrawContext.h"
#include "toolkit/draw/OffscreenContext.h"

namespace brindlet {
namespace {

class SliderTest : public test::FrameWindowTest {
protected:
    void SetUp() override {
        FrameWindowTest::SetUp();
        handle = test::solidBitmap(21, 21, Color{200, 200, 200, 0});
        track = test::solidBitmap(21, 121, Color{40, 40, 40, 0});
    }
    void TearDown() override {
        handle->release();  // the sliders keep theirs until the frame goes
        track->release();
        FrameWindowTest::TearDown();
    }
    // As the editor builds its "Env/ Mod" slider (tag 4)...
    VerticalSlider* addVertical(int32_t style = sliderMinBottom) {
        return attach(new VerticalSlider(Rect(23, 192, 44, 313), &listener, 4, 192, 292, handle,
                                         track, Point(0, 0), style));
    }
    // ... and its "Pitch/ Decay" slider (tag 2).
    HorizontalSlider* addHorizontal(int32_t style = sliderMinLeft) {
        return attach(new HorizontalSlider(Rect(169, 14, 290, 35), &listener, 2, 169, 269, handle,
                                           track, Point(0, 0), style));
    }
    template <class S>
    S* attach(S* s) {
        s->setHandleOffset(Point(0, 0));
        frame->addView(s);
        return s;
    }
    float pressAt(Slider* s, const Point& where, uint32_t physical = kPhysicalLeft,
                  const std::vector<headless::InputStep>& moves = {}) {
        headless::press(frame->getWindow(), where, physical, moves);
        return s->getValue();
    }

    Bitmap* handle = nullptr;
    Bitmap* track = nullptr;
};

// A click sets the value from the pointer in an edit bracket; the handle follows the value.
TEST_F(SliderTest, PointerValueAndHandleForBothOrientationsAndEndConventions) {
    struct Case {
        bool vertical;
        int32_t style;
        Point where;
        float value;
        Rect handle;
    };
    const Case cases[] = {
        {true, sliderMinBottom, {30, 301}, 0.0f, Rect(0, 100, 21, 121)},
        {true, sliderMinBottom, {30, 201}, 1.0f, Rect(0, 0, 21, 21)},
        {true, sliderMinBottom, {30, 251}, 0.5f, Rect(0, 50, 21, 71)},
        {true, sliderMinBottom, {30, 192}, 1.0f, Rect(0, 0, 21, 21)},  // beyond the travel
        {true, sliderMinTop, {30, 201}, 0.0f, Rect(0, 0, 21, 21)},
        {true, sliderMinTop, {30, 276}, 0.75f, Rect(0, 75, 21, 96)},
        {false, sliderMinLeft, {228, 20}, 0.5f, Rect(50, 0, 71, 21)},  // grab 169 + 10 - 1
        {false, sliderMinLeft, {203, 20}, 0.25f, Rect(25, 0, 46, 21)},
        {false, sliderMinRight, {203, 20}, 0.75f, Rect(25, 0, 46, 21)},
        {false, sliderMinRight, {278, 20}, 0.0f, Rect(100, 0, 121, 21)},
    };
    for (const Case& c : cases) {
        Slider* s =
            c.vertical ? static_cast<Slider*>(addVertical(c.style)) : addHorizontal(c.style);
        SCOPED_TRACE(&c - cases);
        const std::string tag = std::to_string(s->getTag());
        EXPECT_NEAR(pressAt(s, c.where), c.value, 1e-6f);
        EXPECT_EQ(s->handleRect(), c.handle);
        EXPECT_EQ(frame->getFocusView(), s);
        EXPECT_EQ(editor.events, (std::vector<std::string>{"begin " + tag, "end " + tag}));
        editor.events.clear();
        frame->removeView(s, true);
    }
    VerticalSlider* v = addVertical();
    v->setHandleOffset(Point(2, 3));
    EXPECT_EQ(v->getHandleMax(), 124);
    v->setValue(1.0f);
    EXPECT_EQ(v->handleRect(), Rect(2, 3, 23, 24));
}

TEST_F(SliderTest, OtherButtonsDoNothingUnlessSwapped) {
    VerticalSlider* v = addVertical();
    EXPECT_EQ(pressAt(v, {30, 251}, kPhysicalRight), 0.0f);
    headless::setButtonsSwapped(true);
    EXPECT_EQ(pressAt(v, {30, 251}, kPhysicalRight), 0.5f);
    v->setMouseEnabled(false);
    EXPECT_EQ(pressAt(v, {30, 201}, kPhysicalRight), 0.5f);
}

TEST_F(SliderTest, WithoutFreeClickOnlyTheHandleStartsADragAndKeepsItsGrip) {
    VerticalSlider* v = addVertical();
    v->setFreeClick(false);
    v->setValue(0.5f);  // handle at v 242..263 of the frame
    EXPECT_EQ(pressAt(v, {30, 220}), 0.5f);
    EXPECT_TRUE(editor.events.empty());
    EXPECT_NEAR(pressAt(v, {30, 250}, kPhysicalLeft, test::dragSteps({{30, 260}, {30, 260}})), 0.4f,
                1e-6f);
    EXPECT_EQ(editor.events, (std::vector<std::string>{"begin 4", "end 4"}));
}

TEST_F(SliderTest, ShiftAdjustsFinelyFromWhereShiftWentDown) {
    VerticalSlider* v = addVertical();
    v->setValue(0.5f);
    headless::paint(frame->getWindow(), Rect(0, 0, 465, 360));
    const uint32_t shifted = kPhysicalLeft | kPhysicalShift;
    pressAt(v, {30, 251}, kPhysicalLeft,
            {{kPhysicalLeft, {30, 241}},
             {shifted, {30, 241}},
             {shifted, {30, 191}},  // 50 pixels with shift move a twentieth
             {shifted, {30, 141}},
             {kPhysicalLeft, {30, 141}}});  // shift let go: the absolute position again
    const std::vector<float> expected = {0.6f, 0.65f, 0.7f, 1.0f};
    ASSERT_EQ(listener.values().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(listener.values()[i], expected[i], 1e-6f) << i;
}

TEST_F(SliderTest, ControlClickResetsWithoutAnEditBracket) {
    VerticalSlider* v = addVertical();
    v->setValue(0.9f);
    EXPECT_EQ(pressAt(v, {30, 300}, kPhysicalLeft | kPhysicalControl), 0.5f);
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_TRUE(listener.reports[0].withContext);
    EXPECT_TRUE(editor.events.empty());
    v->setDefaultValue(0.25f);
    EXPECT_EQ(pressAt(v, {30, 300}, kPhysicalLeft | kPhysicalControl), 0.25f);
}

TEST_F(SliderTest, ArrowKeysAndWheelStep) {
    VerticalSlider* v = addVertical();
    HorizontalSlider* h = addHorizontal();  // keys do not depend on the orientation
    struct Case {
        Slider* slider;
        uint8_t key;
        uint8_t modifiers;
        float before, after;
        int32_t answer;
    };
    const Case cases[] = {
        {v, kKeyUp, 0, 0.5f, 0.6f, 1},      {v, kKeyDown, kModifierShift, 0.6f, 0.59f, 1},
        {v, kKeyLeft, 0, 0.59f, 0.49f, 1},  {h, kKeyUp, 0, 0.5f, 0.6f, 1},
        {v, kKeyEscape, 0, 0.5f, 0.5f, -1}, {v, kKeyUp, 0, 1.0f, 1.0f, 1},  // at the end: no report
    };
    for (const Case& c : cases) {
        c.slider->setValue(c.before);
        c.slider->setDirty(false);
        listener.reports.clear();
        EXPECT_EQ(c.slider->onKeyDown(KeyCode{0, c.key, c.modifiers}), c.answer) << c.key;
        EXPECT_NEAR(c.slider->getValue(), c.after, 1e-6f) << c.key;
        EXPECT_EQ(listener.reports.size(), c.before == c.after ? 0u : 1u) << c.key;
        EXPECT_TRUE(listener.reports.empty() || !listener.reports[0].withContext);
    }
    EXPECT_EQ(v->onKeyUp(KeyCode{0, kKeyUp, 0}), -1);

    h->setValue(0.5f);
    EXPECT_TRUE(h->onWheel(nullptr, {}, 1.0f));
    EXPECT_NEAR(h->getValue(), 0.6f, 1e-6f);
    headless::setInput(kPhysicalShift, {});
    EXPECT_TRUE(h->onWheel(nullptr, {}, -1.0f));
    EXPECT_NEAR(h->getValue(), 0.59f, 1e-6f);
    h->setMouseEnabled(false);
    EXPECT_FALSE(h->onWheel(nullptr, {}, 1.0f));

    pressAt(v, {30, 251});  // the clicked slider takes the keys
    h->setValue(0.5f);
    EXPECT_EQ(frame->onKeyDown(KeyCode{0, kKeyUp, 0}), 1);
    EXPECT_NEAR(v->getValue(), 0.6f, 1e-6f);
    EXPECT_EQ(h->getValue(), 0.5f);
}

TEST_F(SliderTest, ZeroTravelNanValuesMissingBitmapsAndDetachedAreSafe) {
    auto* flat = attach(
        new VerticalSlider(Rect(0, 0, 21, 121), &listener, 1, 50, 50, handle, track, Point(0, 0)));
    flat->setValue(0.3f);
    EXPECT_EQ(pressAt(flat, {10, 60}, kPhysicalLeft, test::dragSteps({{10, 90}})), 0.3f);
    EXPECT_EQ(flat->handleRect(), Rect(0, 50, 21, 71));

    auto* bare = attach(new HorizontalSlider(Rect(0, 200, 121, 221), nullptr, 2, 0, 100, nullptr,
                                             nullptr, Point(0, 0)));
    EXPECT_EQ(bare->handleRect().width(), 1);  // no handle bitmap: 1 x 1
    pressAt(bare, {50, 210});
    bare->setValue(std::numeric_limits<float>::quiet_NaN());
    headless::paint(frame->getWindow(), Rect(0, 0, 465, 360));
    bare->onKeyDown(KeyCode{0, kKeyUp, 0});

    // The offscreen lives while attached; detached, nothing is drawn.
    VerticalSlider* v = addVertical();
    ASSERT_NE(v->getOffscreen(), nullptr);
    EXPECT_EQ(v->getOffscreen()->getHeight(), 121);
    v->retain();
    frame->removeView(v, true);
    EXPECT_EQ(v->getOffscreen(), nullptr);
    DrawContext context(nullptr, headless::getWindowSurface(frame->getWindow()), nullptr);
    v->draw(&context);
    EXPECT_FALSE(v->isDirty());
    v->onMouseDown(nullptr, {5, 5});

    // A new handle replaces the old one's reference and size.
    Bitmap* small = test::solidBitmap(15, 9, kRedColor);
    v->setHandle(small);
    EXPECT_EQ(small->getRefCount(), 2);
    EXPECT_EQ(handle->getRefCount(), 2);  // "flat" still holds it
    v->setValue(1.0f);
    EXPECT_EQ(v->handleRect(), Rect(0, 0, 15, 9));
    v->release();
    EXPECT_EQ(small->getRefCount(), 1);
    small->release();
}

// Values a host may store far outside 0..1, or NaN, keep the handle on its travel, in both
// conventions.
TEST_F(SliderTest, ValuesFarOutsideTheRangeKeepTheHandleOnItsTravel) {
    for (const int32_t style : {sliderMinBottom, sliderMinTop}) {
        VerticalSlider* s = addVertical(style);
        for (const float v :
             {1.0e30f, -1.0e30f, std::numeric_limits<float>::infinity(),
              -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
            s->setValue(v);
            const Rect r = s->handleRect();
            EXPECT_GE(r.top, 0);
            EXPECT_LE(r.top, r.bottom);
            EXPECT_LE(r.bottom, s->bounds().height());
            frame->redrawView(s);
        }
    }
}

}  // namespace
}  // namespace brindlet
