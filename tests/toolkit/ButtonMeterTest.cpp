// Momentary button report sequences and drawing; level meter segments and fall-off.
#include <gtest/gtest.h>

#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/controls/LevelMeter.h"
#include "toolkit/controls/MomentaryButton.h"
#include "toolkit/draw/DrawContext.h"

namespace brindlet {
namespace {

int dummyParent;
constexpr Color kGreen{0, 200, 0, 0};
constexpr Color kDark{20, 20, 20, 0};

// Two stacked images: red (released) above green (pressed).
std::vector<uint8_t> twoImageBmp(int32_t width, int32_t imageHeight) {
    return test::makeBmp(width, 2 * imageHeight, [imageHeight](int32_t, int32_t y) {
        return y < imageHeight ? kRedColor : kGreen;
    });
}

class ButtonTest : public test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        frame = new Frame(Rect(0, 0, 465, 360), &dummyParent, &editor);
        editor.frame = frame;
        const auto bytes = twoImageBmp(19, 19);
        bitmap = new Bitmap(bytes.data(), bytes.size());
        button = new MomentaryButton(Rect(3, 243, 22, 262), &listener, 20, 19, bitmap);
        frame->addView(button);
        headless::paint(frame->getWindow(), Rect(0, 0, 465, 360));
    }
    void TearDown() override {
        delete frame;
        bitmap->release();
        HeadlessTest::TearDown();
    }
    Color pixel() { return headless::getWindowPixel(frame->getWindow(), 10, 250); }

    Frame* frame = nullptr;
    test::RecordingEditor editor;
    test::RecordingListener listener;
    Bitmap* bitmap = nullptr;
    MomentaryButton* button = nullptr;
};

TEST_F(ButtonTest, PressAndReleaseInsideReportsOneThenZero) {
    EXPECT_EQ(pixel(), kRedColor);
    headless::press(frame->getWindow(), {10, 250}, kPhysicalLeft, test::dragSteps({{10, 251}}));
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(editor.events, (std::vector<std::string>{"begin 20", "end 20"}));
    EXPECT_EQ(pixel(), kGreen);  // drawn pressed by the idle step while held
    frame->idle();
    EXPECT_EQ(pixel(), kRedColor);
}

TEST_F(ButtonTest, OneIsReportedAgainUntilThePressedImageIsDrawn) {
    editor.frame = nullptr;  // the idle step draws nothing
    headless::press(frame->getWindow(), {10, 250}, kPhysicalLeft,
                    test::dragSteps({{10, 251}, {10, 252}}));
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 1.0f, 1.0f, 0.0f}));
}

TEST_F(ButtonTest, DraggingOutAndBackReportsEachCrossing) {
    headless::press(frame->getWindow(), {10, 250}, kPhysicalLeft,
                    test::dragSteps({{100, 100}, {22, 262}}));  // out, then back on the edge
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f, 1.0f, 0.0f}));
}

TEST_F(ButtonTest, ReleasedOutsideReportsZeroTwice) {
    headless::press(frame->getWindow(), {10, 250}, kPhysicalLeft, test::dragSteps({{100, 100}}));
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f, 0.0f}));
}

TEST_F(ButtonTest, ModifierPressReportsAtOnceWithoutBracket) {
    headless::press(frame->getWindow(), {10, 250}, kPhysicalLeft | kPhysicalShift);
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));
    EXPECT_TRUE(editor.events.empty());

    listener.reports.clear();
    // Pressing a modifier during the hold ends the gesture.
    headless::press(frame->getWindow(), {10, 250}, kPhysicalLeft,
                    {{kPhysicalLeft | kPhysicalControl, {10, 250}}, {kPhysicalLeft, {10, 250}}});
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(headless::getPendingSteps(), 1);
}

TEST_F(ButtonTest, OnlyTheLeftButtonPresses) {
    headless::press(frame->getWindow(), {10, 250}, kPhysicalRight);
    button->setMouseEnabled(false);
    headless::press(frame->getWindow(), {10, 250}, kPhysicalLeft);
    EXPECT_TRUE(listener.reports.empty());
}

TEST_F(ButtonTest, DrawsReleasedAndPressedRowsOfTheImage) {
    const auto bytes = twoImageBmp(35, 35);
    Bitmap* big = new Bitmap(bytes.data(), bytes.size());
    MomentaryButton* b = new MomentaryButton(Rect(0, 0, 35, 35), nullptr, 22, 35, big);
    NativeSurface* surface = headless::createSurface(40, 40);
    DrawContext context(nullptr, surface, nullptr);
    b->draw(&context);
    EXPECT_EQ(headless::getPixel(surface, 0, 0), kRedColor);
    EXPECT_EQ(headless::getPixel(surface, 34, 34), kRedColor);
    EXPECT_EQ(headless::getPixel(surface, 35, 35), kBlackColor);
    b->setValue(1.0f);
    b->draw(&context);
    EXPECT_EQ(headless::getPixel(surface, 0, 0), kGreen);
    EXPECT_EQ(headless::getPixel(surface, 34, 34), kGreen);
    b->setValue(2.0f);  // clamped to 1 before drawing
    b->draw(&context);
    EXPECT_EQ(b->getValue(), 1.0f);
    b->draw(nullptr);
    b->release();
    big->release();
    platform::destroySurface(surface);
}

// ---- Level meter -----------------------------------------------------------------------------

class MeterTest : public test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        const auto lit = test::makeSolidBmp(8, 101, kGreen);
        const auto unlit = test::makeSolidBmp(8, 101, kDark);
        on = new Bitmap(lit.data(), lit.size());
        off = new Bitmap(unlit.data(), unlit.size());
        surface = headless::createSurface(465, 360);
        context = new DrawContext(nullptr, surface, nullptr);
    }
    void TearDown() override {
        delete context;
        platform::destroySurface(surface);
        on->release();
        off->release();
        HeadlessTest::TearDown();
    }
    // As the editor builds its left meter.
    LevelMeter* makeMeter(int32_t segments = 14) {
        auto* m = new LevelMeter(Rect(140, 202, 148, 303), on, off, segments, 2);
        m->setDecreaseStep(0.1f);
        return m;
    }
    Color at(int32_t y) { return headless::getPixel(surface, 144, y); }

    Bitmap* on = nullptr;
    Bitmap* off = nullptr;
    NativeSurface* surface = nullptr;
    DrawContext* context = nullptr;
};

TEST_F(MeterTest, LightsTheNearestWholeSegment) {
    LevelMeter* m = makeMeter();
    m->setValue(1.0f);
    m->draw(context);  // from rest
    EXPECT_EQ(m->getOnRect(), Rect(140, 202, 148, 303));
    EXPECT_EQ(at(202), kGreen);

    m->setOldValue(0.0f);
    m->setValue(0.5f);
    m->draw(context);
    EXPECT_EQ(m->getOnRect().top, 252);  // 7 of 14 segments: rows 50..100 lit
    EXPECT_EQ(at(251), kDark);
    EXPECT_EQ(at(252), kGreen);
    EXPECT_EQ(at(302), kGreen);

    m->setOldValue(0.0f);
    m->setValue(0.03f);  // trunc(0.97 * 14 + 0.5) = 14 unlit segments
    m->draw(context);
    EXPECT_EQ(m->getOnRect().top, 303);
    EXPECT_EQ(at(302), kDark);
    m->release();
}

TEST_F(MeterTest, FallsBackOneStepPerRedrawAndRisesAtOnce) {
    LevelMeter* m = makeMeter();
    m->setValue(1.0f);
    m->draw(context);
    m->setValue(0.0f);
    std::vector<float> shown;
    while (m->isDirty() && shown.size() < 20) {
        m->draw(context);
        shown.push_back(m->getOldValue());
    }
    ASSERT_GE(shown.size(), 10u);
    for (size_t i = 0; i < 10; ++i) EXPECT_NEAR(shown[i], 0.9f - 0.1f * i, 1e-5f);
    // Single-precision steps of 0.1 leave a remainder of about 1e-7 after ten steps; it lights
    // nothing and is gone with the next redraw.
    EXPECT_LE(shown.size(), 11u);
    EXPECT_EQ(shown.back(), 0.0f);
    EXPECT_EQ(at(202 + 100), kDark);

    m->setValue(0.8f);
    m->draw(context);
    EXPECT_EQ(m->getOldValue(), 0.8f);
    EXPECT_FALSE(m->isDirty());
    m->setDirty(true);  // a plain flag: the displayed level is kept
    EXPECT_EQ(m->getOldValue(), 0.8f);
    m->release();
}

TEST_F(MeterTest, FrameIdleKeepsRedrawingUntilTheBarMeetsTheValue) {
    Frame frame(Rect(0, 0, 465, 360), &dummyParent, nullptr);
    LevelMeter* m = makeMeter();
    frame.addView(m);
    m->setValue(1.0f);
    headless::paint(frame.getWindow(), Rect(0, 0, 465, 360));
    m->setValue(0.5f);
    int32_t idles = 0;
    while (m->isDirty() && idles < 20) {
        frame.idle();
        ++idles;
    }
    EXPECT_LE(idles, 6);  // 0.9 .. 0.5 in single-precision steps
    EXPECT_EQ(m->getOldValue(), 0.5f);
}

TEST_F(MeterTest, HorizontalMeterAndDegenerateArguments) {
    const auto lit = test::makeSolidBmp(101, 8, kGreen);
    Bitmap* wide = new Bitmap(lit.data(), lit.size());
    LevelMeter* h = new LevelMeter(Rect(0, 0, 101, 8), wide, nullptr, 14, kMeterHorizontal);
    h->setOldValue(0.0f);
    h->setValue(0.5f);
    h->draw(context);  // no unlit bitmap: only the lit part
    EXPECT_EQ(h->getOnRect(), Rect(0, 0, 50, 8));
    EXPECT_EQ(h->getOffRect(), Rect(50, 0, 101, 8));
    EXPECT_EQ(headless::getPixel(surface, 49, 4), kGreen);
    EXPECT_EQ(headless::getPixel(surface, 50, 4), kBlackColor);
    h->release();
    wide->release();

    LevelMeter* none = new LevelMeter(Rect(0, 0, 8, 101), on, off, 0, 2);  // no segments
    EXPECT_EQ(none->getSegments(), 1);
    none->setValue(std::numeric_limits<float>::quiet_NaN());
    none->draw(context);
    none->draw(nullptr);
    none->release();
    LevelMeter* blind = new LevelMeter(Rect(20, 0, 28, 101), nullptr, off, 14, 2);
    blind->setValue(0.5f);
    blind->draw(context);  // without a lit image nothing is drawn
    EXPECT_EQ(headless::getPixel(surface, 24, 50), kBlackColor);
    blind->release();
}

}  // namespace
}  // namespace brindlet
