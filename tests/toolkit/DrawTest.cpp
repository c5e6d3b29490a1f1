// Pixel rules of the drawing backend on headless surfaces; every test saves its picture as PNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/controls/Slider.h"
#include "toolkit/draw/DrawContext.h"
#include "toolkit/draw/OffscreenContext.h"

namespace brindlet {
namespace {

constexpr Color kGrey{128, 128, 128, 0};
constexpr Color kBlue{0, 0, 255, 0};
constexpr Color kNavy{30, 30, 60, 0};

// Each test draws on `surface`, saved afterwards under the test's name unless dropped.
class DrawTest : public test::HeadlessTest {
protected:
    void TearDown() override {
        if (surface) {
            EXPECT_TRUE(headless::savePng(
                surface, test::picturePath(
                             ::testing::UnitTest::GetInstance()->current_test_info()->name())));
            platform::destroySurface(surface);
        }
        HeadlessTest::TearDown();
    }
    Color at(int32_t x, int32_t y) { return headless::getPixel(surface, x, y); }

    NativeSurface* surface = headless::createSurface(64, 48);
    DrawContext context{nullptr, surface, nullptr};
};

// How many pixels of r on `s` pass `lit`, and the first and last column that holds one.
struct Lit {
    int32_t count = 0, first = INT32_MAX, last = -1;
};
template <class Test>
Lit litIn(NativeSurface* s, const Rect& r, Test lit) {
    Lit out;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        for (int32_t x = r.left; x < r.right; ++x) {
            if (!lit(headless::getPixel(s, x, y))) continue;
            ++out.count;
            out.first = std::min(out.first, x);
            out.last = std::max(out.last, x);
        }
    }
    return out;
}

TEST_F(DrawTest, FillRectPaintsTheInteriorAndDrawRectTheOutline) {
    context.setFillColor(kRedColor);
    context.fillRect(Rect(10, 10, 20, 20));
    EXPECT_EQ(at(11, 11), kRedColor);
    EXPECT_EQ(at(19, 19), kRedColor);
    for (auto [x, y] : {std::pair{10, 10}, {20, 20}, {20, 15}}) EXPECT_EQ(at(x, y), kBlackColor);

    context.setFrameColor(kWhiteColor);
    context.drawRect(Rect(10, 10, 20, 20));
    for (int32_t i = 10; i <= 20; ++i) {
        EXPECT_EQ(at(i, 10), kWhiteColor) << i;
        EXPECT_EQ(at(i, 20), kWhiteColor) << i;
        EXPECT_EQ(at(10, i), kWhiteColor) << i;
        EXPECT_EQ(at(20, i), kWhiteColor) << i;
    }
    EXPECT_EQ(at(11, 11), kRedColor);  // the fill stays inside the outline
    EXPECT_EQ(at(21, 21), kBlackColor);

    context.setOffset({30, 5});
    context.setFillColor(kBlue);
    context.fillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(at(31, 6), kBlue);
    EXPECT_EQ(at(30, 5), kBlackColor);
}

TEST_F(DrawTest, NewOffscreenIsAllBackgroundAndCopiesInOneBlock) {
    OffscreenContext offscreen(nullptr, 20, 10, kGrey);
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(headless::getPixel(offscreen.getSurface(), x, y), kGrey) << x << "," << y;
    }
    offscreen.setFillColor(kRedColor);
    offscreen.fillRect(Rect(4, 4, 10, 8));
    context.setOffset({1, 1});
    offscreen.copyTo(&context, Rect(10, 10, 30, 20), Point(0, 0));
    EXPECT_EQ(at(11, 11), kGrey);
    EXPECT_EQ(at(30, 20), kGrey);
    EXPECT_EQ(at(31, 21), kBlackColor);
    EXPECT_EQ(at(16, 16), kRedColor);
    offscreen.copyTo(nullptr, Rect(0, 0, 5, 5), Point());
}

TEST_F(DrawTest, TransparentDrawingLeavesOutExactlyCyan) {
    // A 21 x 21 image: cyan around a blue disc, and one pixel of almost-cyan.
    static constexpr Color kAlmostCyan{0, 255, 254, 0};
    Bitmap* disc = test::makeBitmap(test::makeBmp(21, 21, [](int32_t x, int32_t y) {
        if (x == 0 && y == 0) return kAlmostCyan;
        return (x - 10) * (x - 10) + (y - 10) * (y - 10) <= 64 ? kBlue : kTransparentColor;
    }));
    context.setFillColor(kRedColor);
    context.fillRect(Rect(-1, -1, 64, 48));
    disc->drawTransparent(&context, Rect(5, 5, 26, 26), Point(0, 0));
    EXPECT_EQ(at(15, 15), kBlue);
    EXPECT_EQ(at(6, 25), kRedColor);  // cyan left out
    EXPECT_EQ(at(5, 5), kAlmostCyan);
    disc->draw(&context, Rect(30, 5, 51, 26), Point(0, 0));
    EXPECT_EQ(at(31, 25), kTransparentColor);                             // opaque copy keeps cyan
    disc->drawTransparent(&context, Rect(5, 30, 16, 41), Point(10, 10));  // a part of the image
    EXPECT_EQ(at(5, 30), kBlue);
    EXPECT_EQ(at(15, 40), kRedColor);
    disc->release();
}

TEST_F(DrawTest, TextLeftCentredAndRight) {
    platform::destroySurface(surface);
    surface = headless::createSurface(200, 72);
    DrawContext c(nullptr, surface, nullptr);
    c.setFontColor(kWhiteColor);
    c.setFont(9);  // beyond the table: bold
    EXPECT_EQ(c.getFont(), fontBold);
    c.setFont(fontNormal);
    const TextAlign aligns[3] = {alignLeft, alignCenter, alignRight};
    Lit text[3];
    for (int i = 0; i < 3; ++i) {
        const Rect row(0, 24 * i, 200, 24 * i + 24);
        c.drawString("Pitch/ End", row, false, aligns[i]);
        text[i] = litIn(surface, row, [](Color p) { return p.red > 60 && p.red == p.blue; });
    }
    ASSERT_GT(text[0].last, text[0].first);
    EXPECT_GE(text[0].first, 1);  // left-aligned text starts one pixel in
    EXPECT_LE(text[0].first, 3);
    EXPECT_NEAR((text[1].first + text[1].last) / 2.0, 100.0, 3.0);
    EXPECT_GE(text[2].last, 190);
    EXPECT_EQ(text[2].last - text[2].first, text[0].last - text[0].first);
    c.setFillColor(kBlue);
    c.drawString("&", Rect(0, 0, 200, 24), true, alignRight);
    EXPECT_EQ(at(199, 12), kBlue);  // the opaque cell of "&"
    EXPECT_EQ(at(150, 12), kBlackColor);
}

TEST_F(DrawTest, AnsiTextAndExtremeFontSizesLeaveTheSurfaceDrawable) {
    context.setFontColor(kWhiteColor);
    context.setFillColor(kBlue);
    // Bytes that are no UTF-8 on their own: Latin-1, cp1252 (euro, quotes), its unassigned ones.
    // After each, a fill still paints every pixel it covers.
    const Rect below(0, 25, 64, 48);
    auto filled = [&](Color c) { return litIn(surface, below, [c](Color p) { return p == c; }); };
    for (const char* text : {"Caf\xE9", "\x80\x93\x81\x9F\xFF", "\xC3"}) {
        context.drawString(text, Rect(0, 0, 64, 24), true);
        context.fillRect(Rect(-1, 24, 64, 48));
        EXPECT_EQ(filled(kBlue).count, 64 * 23) << text;
    }
    EXPECT_GT(litIn(surface, Rect(0, 0, 64, 24), [](Color p) { return p.red > 60; }).count, 0);

    const int32_t sizes[] = {INT32_MIN, 100000, INT32_MAX, -100000};
    const int32_t kept[] = {-1000, 1000, 1000, -1000};
    for (int i = 0; i < 4; ++i) {
        context.setFont(fontNormal, sizes[i]);
        EXPECT_EQ(context.getFontSize(), kept[i]);
        EXPECT_EQ(DrawContext::describeFont(fontNormal, sizes[i], 0).height, -kept[i]);
        context.drawString("Wg", Rect(0, 0, 64, 24));
        context.setFillColor(i % 2 ? kRedColor : kBlue);
        context.fillRect(Rect(-1, 24, 64, 48));
        EXPECT_EQ(filled(context.getFillColor()).count, 64 * 23) << sizes[i];
    }
    context.setFont(fontNormal, 0);
    EXPECT_GT(context.getFontSize(), 0);  // 0 still means the font's own size
}

// The pixels of a line walked one step at a time from its start, the way the backend's walk
// goes, kept where they fall on a width x height surface.
std::vector<bool> walkedPixels(Point a, Point b, bool dotted, int32_t width, int32_t height) {
    std::vector<bool> lit(static_cast<size_t>(width * height));
    int64_t x = a.h, y = a.v;
    const int64_t dx = std::abs(int64_t{b.h} - x), dy = -std::abs(int64_t{b.v} - y);
    const int32_t sx = a.h < b.h ? 1 : -1, sy = a.v < b.v ? 1 : -1;
    int64_t error = dx + dy;
    for (int64_t i = 0; x != b.h || y != b.v; ++i) {
        if (x >= 0 && y >= 0 && x < width && y < height && (!dotted || i % 2 == 0))
            lit[static_cast<size_t>(y * width + x)] = true;
        const int64_t e2 = 2 * error;
        if (e2 >= dy) error += dy, x += sx;
        if (e2 <= dx) error += dx, y += sy;
    }
    return lit;
}

// Lines from near and far, steep, shallow and straight, solid and dotted: the walk's jump to the
// surface, and the rectangle of a solid straight line, must leave exactly the pixels and the
// dotted phase of a walk taken step by step, which stops short of the end point.
TEST_F(DrawTest, LinesFromAnyDistanceDrawTheSamePixelsAsAStepByStepWalk) {
    std::mt19937 random(7);
    auto coordinate = [&](int32_t reach) {
        return std::uniform_int_distribution<int32_t>(-reach, reach + 63)(random);
    };
    for (int n = 0; n < 400; ++n) {
        const int32_t reach = n < 8 ? 20000000 : n % 2 ? 3000 : 100;
        Point a(coordinate(reach), coordinate(reach)), b(coordinate(100), coordinate(100));
        if (n % 5 == 1) a.h = b.h = coordinate(0);       // vertical, on the surface
        if (n % 5 == 2) a.v = b.v = coordinate(0) % 48;  // horizontal
        if (a == b) continue;
        const bool dotted = n % 3 == 0;
        context.setFillColor(kBlackColor);
        context.fillRect(Rect(-1, -1, 64, 48));  // a fill leaves its top and left edges
        context.setFrameColor(kWhiteColor);
        context.setLineStyle(dotted ? lineDotted : lineSolid);
        context.moveTo(a);
        context.lineTo(b);
        EXPECT_EQ(context.getPenPosition(), b);
        const std::vector<bool> expected = walkedPixels(a, b, dotted, 64, 48);
        for (int32_t y = 0; y < 48; ++y) {
            for (int32_t x = 0; x < 64; ++x) {
                ASSERT_EQ(at(x, y) == kWhiteColor, expected[static_cast<size_t>(y * 64 + x)])
                    << "line " << a.h << "," << a.v << " to " << b.h << "," << b.v << " at " << x
                    << "," << y << (dotted ? " dotted" : "");
            }
        }
    }
}

// Opaque text over its whole bounds.
class TextView : public View {
public:
    using View::View;
    void draw(DrawContext* context) override {
        context->setFillColor(kBlue);
        context->setFont(fontNormal, 40);
        Rect bounds;
        getBounds(bounds);
        context->drawString("\xC9\xC9\xC9", bounds, true);
    }
};

TEST_F(DrawTest, TextKeepsToThePaintedArea) {
    test::RecordingEditor editor;
    Frame frame(Rect(0, 0, 80, 60), &test::dummyParent, &editor);
    frame.addView(new TextView(Rect(0, 0, 80, 60)));
    NativeWindow* w = frame.getWindow();
    headless::paint(w, Rect(0, 0, 40, 60));
    auto painted = [](Color p) { return !(p == kBlackColor); };
    EXPECT_GT(litIn(headless::getWindowSurface(w), Rect(0, 0, 40, 60), painted).count, 0);
    EXPECT_EQ(litIn(headless::getWindowSurface(w), Rect(40, 0, 80, 60), painted).count, 0);
}

TEST_F(DrawTest, LinesFarBeyondTheSurfaceDrawTheirVisiblePart) {
    context.setFrameColor(kWhiteColor);
    context.moveTo({40, 40});
    context.lineTo({INT32_MIN, INT32_MIN});  // diagonal
    for (int32_t i = 0; i <= 40; ++i) EXPECT_EQ(at(40 - i, 40 - i), kWhiteColor) << i;
    context.moveTo({10, 0});
    context.lineTo({20000000, 5});  // shallow: the first 2 million pixels stay on row 0
    for (int32_t x = 10; x < 64; ++x) EXPECT_EQ(at(x, 0), kWhiteColor) << x;
    EXPECT_EQ(at(63, 1), kBlackColor);
    context.setFrameColor(kRedColor);
    context.moveTo({INT32_MIN, 45});
    context.lineTo({20, 45});  // straight, from far away
    context.moveTo({50, INT32_MAX});
    context.lineTo({50, 44});
    for (int32_t x = 0; x < 20; ++x) EXPECT_EQ(at(x, 45), kRedColor) << x;
    EXPECT_EQ(at(20, 45), kBlackColor);
    for (int32_t y = 45; y < 48; ++y) EXPECT_EQ(at(50, y), kRedColor) << y;
    EXPECT_EQ(at(50, 44), kBlackColor);

    context.setFrameColor(kBlue);
    context.moveTo({-30000000, 30});  // from far away: walked in at once, its end drawn
    context.lineTo({10, 31});
    EXPECT_EQ(at(9, 31), kBlue);
    EXPECT_EQ(at(0, 31), kBlue);
    context.setLineStyle(lineDotted);
    context.moveTo({-3, 20});  // a dotted walk in from just outside keeps its phase
    context.lineTo({10, 22});
    // Steps 4, 6, ..., 12 of 13.
    EXPECT_EQ(litIn(surface, Rect(0, 19, 12, 24), [](Color p) { return p == kBlue; }).count, 5);
    EXPECT_EQ(at(1, 21), kBlue);
    EXPECT_EQ(at(0, 20), kBlackColor);  // step 3
}

TEST_F(DrawTest, SliderIsComposedOffscreenAndCopiedInOneBlock) {
    platform::destroySurface(surface);  // this one saves its window instead
    surface = nullptr;
    test::RecordingEditor editor;
    Frame frame(Rect(0, 0, 80, 140), &test::dummyParent, &editor);
    Bitmap* track = test::makeBitmap(test::makeBmp(21, 121, [](int32_t x, int32_t y) {
        return x == 10 ? kWhiteColor : (y % 10 == 0) ? kGrey : kNavy;
    }));
    Bitmap* handle = test::makeBitmap(test::makeBmp(21, 21, [](int32_t x, int32_t y) {
        return (x - 10) * (x - 10) + (y - 10) * (y - 10) <= 81 ? kRedColor : kTransparentColor;
    }));
    auto* slider =
        new VerticalSlider(Rect(20, 10, 41, 131), nullptr, 0, 10, 110, handle, track, Point(0, 0));
    slider->setHandleOffset({0, 0});
    slider->setValue(0.75f);
    frame.addView(slider);
    NativeWindow* w = frame.getWindow();
    headless::paint(w, Rect(0, 0, 80, 140));
    EXPECT_EQ(headless::getWindowPixel(w, 30, 45), kRedColor);    // handle middle
    EXPECT_EQ(headless::getWindowPixel(w, 30, 35), kWhiteColor);  // its cyan corner area
    EXPECT_EQ(headless::getWindowPixel(w, 20, 35), kNavy);
    EXPECT_EQ(headless::getWindowPixel(w, 30, 120), kWhiteColor);  // the track
    EXPECT_EQ(headless::getWindowPixel(w, 19, 50), kBlackColor);   // nothing outside the bounds
    EXPECT_TRUE(headless::saveWindowPng(w, test::picturePath("slider_075")));

    slider->setValue(0.0f);
    frame.idle();
    EXPECT_EQ(headless::getWindowPixel(w, 30, 120), kRedColor);
    EXPECT_NE(headless::getWindowPixel(w, 30, 45), kRedColor);  // old place covered
    EXPECT_TRUE(headless::saveWindowPng(w, test::picturePath("slider_000")));
    track->release();
    handle->release();
}

}  // namespace
}  // namespace brindlet
