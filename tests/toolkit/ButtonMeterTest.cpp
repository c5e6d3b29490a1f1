// Momentary button report sequences and drawing; level meter segments and fall-off; values that
// change while a control draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/controls/LevelMeter.h"
#include "toolkit/controls/MomentaryButton.h"
#include "toolkit/controls/Slider.h"
#include "toolkit/draw/DrawContext.h"

namespace brindlet {
namespace {

constexpr Color kGreen{0, 200, 0, 0};
constexpr Color kDark{20, 20, 20, 0};
using Values = std::vector<float>;

class ButtonTest : public test::FrameWindowTest {
protected:
    void SetUp() override {
        FrameWindowTest::SetUp();
        // Two stacked images: red (released) above green (pressed).
        bitmap = test::makeBitmap(
            test::makeBmp(19, 38, [](int32_t, int32_t y) { return y < 19 ? kRedColor : kGreen; }));
        button = new MomentaryButton(Rect(3, 243, 22, 262), &listener, 20, 19, bitmap);
        frame->addView(button);
        headless::paint(frame->getWindow(), Rect(0, 0, 465, 360));
    }
    void TearDown() override {
        bitmap->release();  // the button keeps its own until the frame goes
        FrameWindowTest::TearDown();
    }
    void press(uint32_t physical, const std::vector<headless::InputStep>& steps) {
        headless::press(frame->getWindow(), {10, 250}, physical, steps);
    }
    // The button's first and last pixels, and the panel beyond.
    void expectFace(Color c) {
        NativeWindow* w = frame->getWindow();
        EXPECT_EQ(headless::getWindowPixel(w, 3, 243), c);
        EXPECT_EQ(headless::getWindowPixel(w, 21, 261), c);
        EXPECT_EQ(headless::getWindowPixel(w, 22, 262), kBlackColor);
    }

    Bitmap* bitmap = nullptr;
    MomentaryButton* button = nullptr;
};

TEST_F(ButtonTest, ReportSequences) {
    const uint32_t left = kPhysicalLeft;
    const auto drag = [](const std::vector<Point>& p) { return test::dragSteps(p); };
    struct Case {
        uint32_t physical;
        std::vector<headless::InputStep> steps;
        bool idleDraws;
        Values reports;
        bool bracket;
    };
    const Case cases[] = {
        {left, drag({{10, 251}}), true, {1, 0}, true},                    // press, release
        {left, drag({{10, 251}, {10, 252}}), false, {1, 1, 1, 0}, true},  // 1 until drawn pressed
        {left, drag({{100, 100}, {22, 262}}), true, {1, 0, 1, 0}, true},  // out, back on the edge
        {left, drag({{100, 100}}), true, {1, 0, 0}, true},                // released outside
        {left | kPhysicalShift, {}, true, {1, 0}, false},                 // modifier: at once
        {kPhysicalRight, {}, true, {}, false},
        // A modifier during the hold ends it.
        {left, {{left | kPhysicalControl, {10, 250}}, {left, {10, 250}}}, true, {1, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        listener.reports.clear();
        editor.events.clear();
        frame->idle();  // drawn released again
        editor.frame = c.idleDraws ? frame : nullptr;
        press(c.physical, c.steps);
        EXPECT_EQ(listener.values(), c.reports);
        EXPECT_EQ(editor.events.size(), c.bracket ? 2u : 0u);
    }
    EXPECT_EQ(headless::getPendingSteps(), 1);  // the last hold ended before its final step
    button->setMouseEnabled(false);
    listener.reports.clear();
    press(kPhysicalLeft, {});
    EXPECT_TRUE(listener.reports.empty());
}

TEST_F(ButtonTest, DrawsPressedWhileHeldAndReleasedAfter) {
    expectFace(kRedColor);
    press(kPhysicalLeft, test::dragSteps({{10, 251}}));
    EXPECT_EQ(editor.events, (std::vector<std::string>{"begin 20", "end 20"}));
    expectFace(kGreen);  // drawn by the idle step while held
    frame->idle();
    expectFace(kRedColor);
    button->setValue(2.0f);  // clamped to 1 before drawing
    frame->idle();
    expectFace(kGreen);
    EXPECT_EQ(button->getValue(), 1.0f);
    button->draw(nullptr);
}

class MeterTest : public test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        on = test::solidBitmap(8, 101, kGreen);
        off = test::solidBitmap(8, 101, kDark);
    }
    void TearDown() override {
        platform::destroySurface(surface);
        on->release();
        off->release();
        HeadlessTest::TearDown();
    }
    // As the editor builds its left meter.
    LevelMeter* makeMeter() {
        auto* m = new LevelMeter(Rect(140, 202, 148, 303), on, off, 14, 2);
        m->setDecreaseStep(0.1f);
        return m;
    }
    Color at(int32_t y) { return headless::getPixel(surface, 144, y); }

    Bitmap* on = nullptr;
    Bitmap* off = nullptr;
    NativeSurface* surface = headless::createSurface(465, 360);
    DrawContext context{nullptr, surface, nullptr};
};

TEST_F(MeterTest, LightsTheNearestWholeSegment) {
    LevelMeter* m = makeMeter();
    struct Case {
        float value;
        int32_t onTop;
    };
    // 7 of 14 segments lit: rows 50..100; at 0.03, trunc(0.97 * 14 + 0.5) = 14 segments unlit.
    for (auto [value, onTop] : {Case{1.0f, 202}, {0.5f, 252}, {0.03f, 303}}) {
        m->setOldValue(0.0f);  // from rest
        m->setValue(value);
        m->draw(&context);
        EXPECT_EQ(m->getOnRect().top, onTop) << value;
        EXPECT_EQ(at(onTop - 1), onTop == 202 ? kBlackColor : kDark) << value;
        EXPECT_EQ(at(std::min(onTop, 302)), onTop < 303 ? kGreen : kDark) << value;
    }
    m->release();
}

TEST_F(MeterTest, FallsBackOneStepPerRedrawAndRisesAtOnce) {
    LevelMeter* m = makeMeter();
    m->setValue(1.0f);
    m->draw(&context);
    m->setValue(0.0f);
    Values shown;
    while (m->isDirty() && shown.size() < 20) {
        m->draw(&context);
        shown.push_back(m->getOldValue());
    }
    ASSERT_GE(shown.size(), 10u);
    for (size_t i = 0; i < 10; ++i) EXPECT_NEAR(shown[i], 0.9f - 0.1f * i, 1e-5f);
    // Single-precision steps of 0.1 leave a remainder of about 1e-7 after ten steps; it lights
    // nothing and is gone with the next redraw.
    EXPECT_LE(shown.size(), 11u);
    EXPECT_EQ(shown.back(), 0.0f);
    EXPECT_EQ(at(302), kDark);

    m->setValue(0.8f);
    m->draw(&context);
    EXPECT_EQ(m->getOldValue(), 0.8f);
    EXPECT_FALSE(m->isDirty());
    m->setDirty(true);  // a plain flag: the displayed level is kept
    EXPECT_EQ(m->getOldValue(), 0.8f);
    m->release();
}

TEST_F(MeterTest, HorizontalMeterAndDegenerateArguments) {
    Bitmap* wide = test::solidBitmap(101, 8, kGreen);
    LevelMeter* h = new LevelMeter(Rect(0, 0, 101, 8), wide, nullptr, 14, kMeterHorizontal);
    h->setOldValue(0.0f);
    h->setValue(0.5f);
    h->draw(&context);  // no unlit bitmap: only the lit part
    EXPECT_EQ(h->getOnRect(), Rect(0, 0, 50, 8));
    EXPECT_EQ(h->getOffRect(), Rect(50, 0, 101, 8));
    EXPECT_EQ(headless::getPixel(surface, 49, 4), kGreen);
    EXPECT_EQ(headless::getPixel(surface, 50, 4), kBlackColor);
    h->release();
    wide->release();

    LevelMeter* none = new LevelMeter(Rect(0, 0, 8, 101), on, off, 0, 2);  // no segments
    EXPECT_EQ(none->getSegments(), 1);
    none->setValue(std::numeric_limits<float>::quiet_NaN());
    none->draw(&context);
    none->draw(nullptr);
    none->release();
    LevelMeter* blind = new LevelMeter(Rect(20, 0, 28, 101), nullptr, off, 14, 2);
    blind->setValue(0.5f);
    blind->draw(&context);  // without a lit image nothing is drawn
    EXPECT_EQ(headless::getPixel(surface, 24, 50), kBlackColor);
    blind->release();
}

TEST_F(MeterTest, MeterSettlesWithinBoundsOnValuesOutOfRange) {
    constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    struct Case {
        float fed, settled;
    };
    for (auto [fed, settled] :
         {Case{kNan, 0.0f}, {2.0f, 1.0f}, {kInf, 1.0f}, {-1.0f, 0.0f}, {-kInf, 0.0f}}) {
        SCOPED_TRACE(fed);
        LevelMeter* m = makeMeter();
        m->setOldValue(0.6f);
        m->setValue(fed);
        int32_t draws = 0;
        for (; m->isDirty() && draws < 20; ++draws) {
            m->draw(&context);
            EXPECT_GE(m->getOnRect().top, 202);
            EXPECT_LE(m->getOnRect().top, 303);
        }
        EXPECT_FALSE(m->isDirty());
        EXPECT_LE(draws, 8);
        EXPECT_EQ(m->getOldValue(), settled);
        // The feed's value is left as it came: drawing never writes it back.
        const float left = m->getValue();
        EXPECT_TRUE(left == fed || (std::isnan(left) && std::isnan(fed))) << left;
        m->release();
    }
}

TEST_F(MeterTest, ChangeDuringDrawIsDrawnNext) {
    using test::ChangedWhileDrawn;
    using test::expectChangeDuringDrawIsDrawnNext;
    {
        SCOPED_TRACE("meter");
        auto* m = new ChangedWhileDrawn<LevelMeter>(Rect(140, 202, 148, 303), on, off, 14, 2);
        expectChangeDuringDrawIsDrawnNext(m, &context, 0.5f, 0.8f);
        m->release();
    }
    {
        SCOPED_TRACE("button");
        auto* b = new ChangedWhileDrawn<MomentaryButton>(Rect(0, 0, 8, 8), nullptr, 1, 8, on,
                                                         Point(0, 0));
        expectChangeDuringDrawIsDrawnNext(b, &context, 0.0f, 1.0f);
        b->release();
    }
    {
        SCOPED_TRACE("slider");
        Frame frame(Rect(0, 0, 465, 360), &test::dummyParent, nullptr);
        auto* s = new ChangedWhileDrawn<VerticalSlider>(Rect(0, 0, 8, 101), nullptr, 1, 0, 90, on,
                                                        off, Point(0, 0));
        frame.addView(s);
        ASSERT_NE(s->getOffscreen(), nullptr);
        expectChangeDuringDrawIsDrawnNext(s, &context, 0.25f, 0.75f);
    }
}

}  // namespace
}  // namespace brindlet
