// Pixel rules of the drawing backend on headless surfaces; every test saves its picture as PNG.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/controls/LevelMeter.h"
#include "toolkit/controls/MomentaryButton.h"
#include "toolkit/controls/Slider.h"
#include "toolkit/draw/DrawContext.h"
#include "toolkit/draw/OffscreenContext.h"

namespace brindlet {
namespace {

constexpr Color kGrey{128, 128, 128, 0};
constexpr Color kBlue{0, 0, 255, 0};
constexpr Color kAlmostCyan{0, 255, 254, 0};
int dummyParent;

class DrawTest : public test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        surface = headless::createSurface(64, 48);
        context = new DrawContext(nullptr, surface, nullptr);
    }
    void TearDown() override {
        delete context;
        platform::destroySurface(surface);
        HeadlessTest::TearDown();
    }
    Color at(int32_t x, int32_t y) { return headless::getPixel(surface, x, y); }
    void save(const std::string& name) {
        EXPECT_TRUE(headless::savePng(surface, test::picturePath(name)));
    }

    NativeSurface* surface = nullptr;
    DrawContext* context = nullptr;
};

TEST_F(DrawTest, FillRectPaintsTheInteriorAndDrawRectTheOutline) {
    context->setFillColor(kRedColor);
    context->fillRect(Rect(10, 10, 20, 20));
    EXPECT_EQ(at(11, 11), kRedColor);
    EXPECT_EQ(at(19, 19), kRedColor);
    EXPECT_EQ(at(10, 10), kBlackColor);
    EXPECT_EQ(at(20, 20), kBlackColor);
    EXPECT_EQ(at(20, 15), kBlackColor);

    context->setFrameColor(kWhiteColor);
    context->drawRect(Rect(10, 10, 20, 20));
    for (int32_t i = 10; i <= 20; ++i) {
        EXPECT_EQ(at(i, 10), kWhiteColor) << i;
        EXPECT_EQ(at(i, 20), kWhiteColor) << i;
        EXPECT_EQ(at(10, i), kWhiteColor) << i;
        EXPECT_EQ(at(20, i), kWhiteColor) << i;
    }
    EXPECT_EQ(at(11, 11), kRedColor);  // the fill stays inside the outline
    EXPECT_EQ(at(21, 21), kBlackColor);

    context->setOffset({30, 5});
    context->setFillColor(kBlue);
    context->fillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(at(31, 6), kBlue);
    EXPECT_EQ(at(30, 5), kBlackColor);
    save("fill_and_outline");
}

TEST_F(DrawTest, LineToLeavesOutItsEndPoint) {
    context->setFrameColor(kWhiteColor);
    context->moveTo({2, 2});
    context->lineTo({12, 2});  // right
    EXPECT_EQ(at(2, 2), kWhiteColor);
    EXPECT_EQ(at(11, 2), kWhiteColor);
    EXPECT_EQ(at(12, 2), kBlackColor);
    context->moveTo({12, 6});
    context->lineTo({2, 6});  // left
    EXPECT_EQ(at(12, 6), kWhiteColor);
    EXPECT_EQ(at(3, 6), kWhiteColor);
    EXPECT_EQ(at(2, 6), kBlackColor);
    context->moveTo({20, 2});
    context->lineTo({20, 12});  // down
    EXPECT_EQ(at(20, 11), kWhiteColor);
    EXPECT_EQ(at(20, 12), kBlackColor);
    context->moveTo({30, 2});
    context->lineTo({40, 12});  // diagonal
    for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(at(30 + i, 2 + i), kWhiteColor) << i;
    EXPECT_EQ(at(40, 12), kBlackColor);
    EXPECT_EQ(context->getPenPosition(), Point(40, 12));
    context->moveTo({45, 20});
    context->lineTo({60, 26});  // shallow: one pixel per column
    for (int32_t x = 45; x < 60; ++x) {
        int32_t lit = 0;
        for (int32_t y = 18; y < 28; ++y) lit += at(x, y) == kWhiteColor;
        EXPECT_EQ(lit, 1) << x;
    }
    EXPECT_EQ(at(60, 26), kBlackColor);

    context->setLineStyle(lineDotted);
    context->setFrameColor(kRedColor);
    context->moveTo({2, 30});
    context->lineTo({20, 30});
    EXPECT_EQ(at(2, 30), kRedColor);
    EXPECT_EQ(at(3, 30), kBlackColor);
    EXPECT_EQ(at(4, 30), kRedColor);
    save("lines");
}

TEST_F(DrawTest, NewOffscreenIsAllBackgroundAndCopiesInOneBlock) {
    OffscreenContext offscreen(nullptr, 20, 10, kGrey);
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 20; ++x) {
            ASSERT_EQ(headless::getPixel(offscreen.getSurface(), x, y), kGrey) << x << "," << y;
        }
    }
    offscreen.setFillColor(kRedColor);
    offscreen.fillRect(Rect(4, 4, 10, 8));
    context->setOffset({1, 1});
    offscreen.copyTo(context, Rect(10, 10, 30, 20), Point(0, 0));
    EXPECT_EQ(at(11, 11), kGrey);
    EXPECT_EQ(at(30, 20), kGrey);
    EXPECT_EQ(at(31, 21), kBlackColor);
    EXPECT_EQ(at(16, 16), kRedColor);
    offscreen.copyTo(nullptr, Rect(0, 0, 5, 5), Point());
    save("offscreen_copy");
}

TEST_F(DrawTest, TransparentDrawingLeavesOutExactlyCyan) {
    // A 21 x 21 image: cyan around a blue disc, and one pixel of almost-cyan.
    const auto bytes = test::makeBmp(21, 21, [](int32_t x, int32_t y) {
        if (x == 0 && y == 0) return kAlmostCyan;
        const int32_t dx = x - 10, dy = y - 10;
        return dx * dx + dy * dy <= 64 ? kBlue : kTransparentColor;
    });
    Bitmap* disc = new Bitmap(bytes.data(), bytes.size());
    context->setFillColor(kRedColor);
    context->fillRect(Rect(-1, -1, 64, 48));
    disc->drawTransparent(context, Rect(5, 5, 26, 26), Point(0, 0));
    EXPECT_EQ(at(15, 15), kBlue);
    EXPECT_EQ(at(6, 25), kRedColor);  // cyan left out
    EXPECT_EQ(at(5, 5), kAlmostCyan);
    disc->draw(context, Rect(30, 5, 51, 26), Point(0, 0));
    EXPECT_EQ(at(31, 25), kTransparentColor);                            // opaque copy keeps cyan
    disc->drawTransparent(context, Rect(5, 30, 16, 41), Point(10, 10));  // a part of the image
    EXPECT_EQ(at(5, 30), kBlue);
    EXPECT_EQ(at(15, 40), kRedColor);
    save("transparent");
    disc->release();
}

TEST_F(DrawTest, TextLeftCentredAndRight) {
    NativeSurface* big = headless::createSurface(200, 72);
    DrawContext c(nullptr, big, nullptr);
    c.setFontColor(kWhiteColor);
    c.setFont(fontNormal);
    const Rect rows[3] = {Rect(0, 0, 200, 24), Rect(0, 24, 200, 48), Rect(0, 48, 200, 72)};
    const TextAlign aligns[3] = {alignLeft, alignCenter, alignRight};
    for (int i = 0; i < 3; ++i) c.drawString("Pitch/ End", rows[i], false, aligns[i]);
    c.setFillColor(kBlue);
    c.drawString("&", Rect(0, 0, 200, 24), true, alignRight);
    EXPECT_TRUE(headless::savePng(big, test::picturePath("text_alignment")));

    auto inkColumns = [&](const Rect& r, int32_t& first, int32_t& last) {
        first = 1000;
        last = -1;
        for (int32_t x = r.left; x < r.right; ++x) {
            for (int32_t y = r.top; y < r.bottom; ++y) {
                const Color p = headless::getPixel(big, x, y);
                if (p.red > 60 && p.red == p.blue) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
    };
    int32_t l0, r0, l1, r1, l2, r2;
    inkColumns(rows[0], l0, r0);
    inkColumns(rows[1], l1, r1);
    inkColumns(rows[2], l2, r2);
    ASSERT_GT(r0, l0);
    EXPECT_GE(l0, 1);  // left-aligned text starts one pixel in
    EXPECT_LE(l0, 3);
    EXPECT_NEAR((l1 + r1) / 2.0, 100.0, 3.0);
    EXPECT_GE(r2, 190);
    EXPECT_EQ(r2 - l2, r0 - l0);
    EXPECT_EQ(headless::getPixel(big, 199, 12), kBlue);  // the opaque cell of "&"
    EXPECT_EQ(headless::getPixel(big, 150, 12), kBlackColor);
    platform::destroySurface(big);
}

TEST_F(DrawTest, FontTableRules) {
    context->setFont(9);
    EXPECT_EQ(context->getFont(), fontBold);
    EXPECT_EQ(context->getFontSize(), 12);
    const FontDescription bold = DrawContext::describeFont(0, 0, 0);
    EXPECT_EQ(bold.weight, 700);
    EXPECT_EQ(bold.height, -12);
    const FontDescription huge = DrawContext::describeFont(fontHuge, 0, kFontStyleItalic);
    EXPECT_EQ(huge.height, -18);
    EXPECT_EQ(huge.weight, 400);
    EXPECT_TRUE(huge.italic);
    EXPECT_EQ(huge.pitchAndFamily, kFamilySwissVariable);
    const FontDescription symbol = DrawContext::describeFont(fontSymbol, 20, kFontStyleBold);
    EXPECT_STREQ(symbol.face, "Symbol");
    EXPECT_EQ(symbol.pitchAndFamily, kFamilyDecorative);
    EXPECT_EQ(symbol.height, -20);
    EXPECT_EQ(symbol.weight, 700);
}

TEST_F(DrawTest, ButtonsAndPointerComeFromThePlatform) {
    EXPECT_EQ(mapPhysicalInput(kPhysicalLeft, false), kLButton);
    EXPECT_EQ(mapPhysicalInput(kPhysicalLeft, true), kRButton);
    EXPECT_EQ(mapPhysicalInput(kPhysicalRight, true), kLButton);
    EXPECT_EQ(
        mapPhysicalInput(kPhysicalMiddle | kPhysicalShift | kPhysicalControl | kPhysicalAlt, false),
        kMButton | kShift | kControl | kAlt);

    Frame frame(Rect(0, 0, 50, 50), &dummyParent, nullptr);
    headless::setWindowOrigin(frame.getWindow(), {100, 50});
    DrawContext c(&frame, headless::getWindowSurface(frame.getWindow()), frame.getWindow());
    headless::setInput(kPhysicalLeft, {130, 70});
    EXPECT_EQ(c.getMouseButtons(), kLButton);
    Point where;
    c.getMouseLocation(where);
    EXPECT_EQ(where, Point(30, 20));
    // The origin is taken when the context is made.
    headless::setWindowOrigin(frame.getWindow(), {0, 0});
    headless::setInput(0, {130, 70});
    c.getMouseLocation(where);
    EXPECT_EQ(where, Point(30, 20));
    frame.getCursorLocation(where);
    EXPECT_EQ(where, Point(130, 70));
}

TEST_F(DrawTest, SliderIsComposedOffscreenAndCopiedInOneBlock) {
    test::RecordingEditor editor;
    Frame frame(Rect(0, 0, 80, 140), &dummyParent, &editor);
    const auto trackBytes = test::makeBmp(21, 121, [](int32_t x, int32_t y) {
        if (x == 10) return kWhiteColor;
        return (y % 10 == 0) ? kGrey : Color{30, 30, 60, 0};
    });
    const auto handleBytes = test::makeBmp(21, 21, [](int32_t x, int32_t y) {
        const int32_t dx = x - 10, dy = y - 10;
        return dx * dx + dy * dy <= 81 ? kRedColor : kTransparentColor;
    });
    Bitmap* track = new Bitmap(trackBytes.data(), trackBytes.size());
    Bitmap* handle = new Bitmap(handleBytes.data(), handleBytes.size());
    auto* slider =
        new VerticalSlider(Rect(20, 10, 41, 131), nullptr, 0, 10, 110, handle, track, Point(0, 0));
    slider->setHandleOffset({0, 0});
    slider->setValue(0.75f);
    frame.addView(slider);
    NativeWindow* w = frame.getWindow();
    headless::paint(w, Rect(0, 0, 80, 140));
    EXPECT_EQ(headless::getWindowPixel(w, 30, 10 + 25 + 10), kRedColor);  // handle middle
    EXPECT_EQ(headless::getWindowPixel(w, 30, 10 + 25), kWhiteColor);     // its cyan corner area
    EXPECT_EQ(headless::getWindowPixel(w, 20, 10 + 25), Color({30, 30, 60, 0}));
    EXPECT_EQ(headless::getWindowPixel(w, 30, 120), kWhiteColor);  // the track
    EXPECT_EQ(headless::getWindowPixel(w, 19, 50), kBlackColor);   // nothing outside the bounds
    EXPECT_TRUE(headless::saveWindowPng(w, test::picturePath("slider_075")));

    slider->setValue(0.0f);
    frame.idle();
    EXPECT_EQ(headless::getWindowPixel(w, 30, 10 + 100 + 10), kRedColor);
    EXPECT_NE(headless::getWindowPixel(w, 30, 10 + 25 + 10), kRedColor);  // old place covered
    EXPECT_TRUE(headless::saveWindowPng(w, test::picturePath("slider_000")));
    track->release();
    handle->release();
}

TEST_F(DrawTest, PanelWithTheModuleBitmaps) {
    Frame frame(Rect(0, 0, 465, 360), &dummyParent, nullptr);
    Bitmap* background = new Bitmap(128);
    frame.setBackground(background);
    Bitmap* track = new Bitmap(154);
    Bitmap* handle = new Bitmap(167);
    Bitmap* lit = new Bitmap(162);
    Bitmap* unlit = new Bitmap(163);
    Bitmap* preset = new Bitmap(129);
    auto* slider =
        new VerticalSlider(Rect(23, 192, 44, 313), nullptr, 4, 192, 292, handle, track, Point());
    slider->setValue(0.3f);
    frame.addView(slider);
    auto* meter = new LevelMeter(Rect(140, 202, 148, 303), lit, unlit, 14, 2);
    meter->setValue(0.6f);
    meter->setOldValue(0.0f);
    frame.addView(meter);
    auto* button = new MomentaryButton(Rect(80, 318, 115, 353), nullptr, 22, 35, preset);
    button->setValue(1.0f);
    frame.addView(button);
    headless::paint(frame.getWindow(), Rect(0, 0, 465, 360));
    EXPECT_TRUE(headless::saveWindowPng(frame.getWindow(), test::picturePath("panel")));
    for (Bitmap* b : {background, track, handle, lit, unlit, preset}) {
        EXPECT_TRUE(b->hasImage()) << b->getResourceId();
        b->release();
    }
}

}  // namespace
}  // namespace brindlet
