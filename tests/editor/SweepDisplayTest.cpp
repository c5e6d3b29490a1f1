// The sweep display on pixels: the curve for shapes and decays, trace rotation, resets and
// incremental drawing.
#include <limits>

#include "editor/SweepDisplay.h"
#include "tests/editor/EditorTestSupport.h"

namespace brindlet::test {
namespace {

constexpr Color kBlack{0, 0, 0, 0};
constexpr Color kCurve{255, 51, 51, 0};
constexpr Color kCurrent{0, 255, 0, 0};
constexpr Color kPrevious{80, 132, 80, 0};
constexpr Color kOlder{80, 96, 80, 0};
constexpr int32_t L = 179;
constexpr int32_t R = 279;
constexpr int32_t B = 144;

class SweepDisplayTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        frame = new Frame(Rect(0, 0, 465, 360), &dummyParent, nullptr);
        display = new SweepDisplay(Rect(L, 44, R, B), nullptr, kTagSweepDisplay);
        frame->addView(display);
        window = frame->getWindow();
        headless::paint(window, Rect(0, 0, 465, 360));
    }
    void TearDown() override {
        delete frame;
        HeadlessTest::TearDown();
    }
    void setCurve(float start, float end, float decay, float shape) {
        display->setStart(start);
        display->setEnd(end);
        display->setDecay(decay);
        display->setShape(shape);
    }
    Color at(int32_t x, int32_t y) const { return headless::getWindowPixel(window, x, y); }
    // A sweep of `count` points falling from `first` by `step`, marked as new.
    void feedSweep(float first, float step, int32_t count) {
        display->addPoint(first + 99.0f);
        for (int32_t i = 1; i < count; ++i) display->addPoint(first - step * i);
    }
    int32_t currentCount() const { return display->getCount(display->getCurrent()); }

    Frame* frame = nullptr;
    SweepDisplay* display = nullptr;
    NativeWindow* window = nullptr;
};

TEST_F(SweepDisplayTest, CurveForEachShapeAndDecay) {
    const struct {
        float start, end, decay, shape;
        int32_t dx, up;  // a pixel above the bottom-left corner
        bool lit;
        // Exponential: halfway it has fallen to 0.9484^50, about 7 % of the span; then the bottom
        // line runs on to the right edge. Linear: 1 - i / 101 of a span of 101 pixels; at half the
        // decay, rising, 50 steps of 1.2 pixels (144.6 - 30 rounds to 115). Decay 0: a vertical
        // line at the left edge. Decay 0.99: n = rint(101 * 0.99) = 100, so the table index stops
        // at its last entry, half a pixel up.
    } cases[] = {
        {1, 0, 1, 0, 0, 100, true},      {1, 0, 1, 0, 50, 7, true},
        {1, 0, 1, 0, 50, 50, false},     {1, 0, 1, 0, 100, 0, true},
        {1, 0, 1, 1, 1, 100, true},      {1, 0, 1, 1, 50, 51, true},
        {1, 0, 1, 1, 99, 2, true},       {0, .6f, .5f, 1, 0, 0, true},
        {0, .6f, .5f, 1, 25, 29, true},  {0, .6f, .5f, 1, 75, 60, true},
        {0, .6f, .5f, 1, 50, 51, false}, {1, 0, 0, .5f, 0, 100, true},
        {1, 0, 0, .5f, 0, 55, true},     {1, 0, 0, .5f, 0, 1, true},
        {1, 0, 0, .5f, 1, 50, false},    {1, 0, 0, .5f, 60, 0, true},
        {1, 0, .99f, 0, 99, 1, true},    {1, 0, .99f, 0, 100, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.decay << " " << c.shape << " " << c.dx << "," << c.up);
        setCurve(c.start, c.end, c.decay, c.shape);
        frame->idle();
        EXPECT_EQ(at(L + c.dx, B - c.up), c.lit ? kCurve : kBlack);
        if (c.decay == 0.0f) {
            EXPECT_TRUE(
                headless::saveWindowPng(window, picturePath("sweep-curve-decay-zero", "editor")));
        }
    }
}

TEST_F(SweepDisplayTest, OutOfRangeValuesStayInsideThePlot) {
    setCurve(5.0f, -3.0f, -1.0f, 2.0f);
    frame->idle();
    setCurve(std::numeric_limits<float>::quiet_NaN(), 0.0f, std::numeric_limits<float>::infinity(),
             0.0f);
    frame->idle();
    display->addPoint(std::numeric_limits<float>::quiet_NaN());
    display->addPoint(1e30f);
    display->addPoint(-1e30f);
    frame->idle();
    // 1e30 counts as a new-sweep mark; heights are held inside the plot.
    EXPECT_EQ(currentCount(), 2);
    EXPECT_EQ(display->getPoint(display->getCurrent(), 0), 100);
    EXPECT_EQ(display->getPoint(display->getCurrent(), 1), 0);
    EXPECT_EQ(display->getPoint(display->getPrevious(), 0), 0);
}

TEST_F(SweepDisplayTest, CurrentTraceIsDrawnIncrementallyAndPaintsLeaveItOut) {
    feedSweep(0.9f, 0.01f, 10);
    frame->idle();
    EXPECT_EQ(display->getDrawnUpTo(), 9);
    EXPECT_EQ(at(L, B - 90), kCurrent);
    EXPECT_EQ(at(L + 8, B - 82), kCurrent);
    EXPECT_EQ(at(L + 9, B - 81), kBlack);  // a line leaves out its last point
    frame->idle();
    EXPECT_EQ(display->getDrawnUpTo(), 9);
    display->addPoint(0.80f);
    display->addPoint(0.79f);
    frame->idle();
    EXPECT_EQ(display->getDrawnUpTo(), 11);
    EXPECT_EQ(at(L + 10, B - 80), kCurrent);
    // A paint request draws the curve and older traces; the current one comes back segment by
    // segment at idle.
    feedSweep(0.4f, 0.0f, 20);
    frame->idle();
    const int32_t drawn = display->getDrawnUpTo();
    headless::paint(window, Rect(0, 0, 465, 360));
    EXPECT_EQ(at(L + 5, B - 85), kPrevious);
    EXPECT_EQ(at(L + 5, B - 40), kBlack);
    EXPECT_EQ(display->getDrawnUpTo(), drawn);
    display->addPoint(0.4f);
    frame->idle();
    EXPECT_EQ(at(L + 19, B - 40), kCurrent);
    EXPECT_EQ(at(L + 5, B - 40), kBlack);
}

TEST_F(SweepDisplayTest, NewSweepsRotateTracesThroughPreviousAndOlder) {
    feedSweep(0.9f, 0.0f, 30);  // flat at 90
    frame->idle();
    feedSweep(0.6f, 0.0f, 30);
    frame->idle();
    EXPECT_EQ(at(L + 10, B - 90), kPrevious);
    EXPECT_EQ(at(L + 10, B - 60), kCurrent);
    feedSweep(0.3f, 0.0f, 30);
    frame->idle();
    EXPECT_EQ(at(L + 10, B - 90), kOlder);
    EXPECT_EQ(at(L + 10, B - 60), kPrevious);
    EXPECT_EQ(at(L + 10, B - 30), kCurrent);
    // The fourth sweep reuses the oldest buffer, once the drawing side takes the hand-over.
    const int32_t oldest = display->getOlder();
    feedSweep(0.1f, 0.0f, 5);
    EXPECT_EQ(display->getCurrent(), 0);
    frame->idle();
    EXPECT_EQ(display->getCurrent(), oldest);
    EXPECT_EQ(at(L + 10, B - 90), kBlack);
    EXPECT_EQ(at(L + 10, B - 60), kOlder);
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("sweep-traces-rotated", "editor")));
}

// Without idle for longer than the hand-over holds (a hidden window, a modal dialog), the
// oldest points give way: the display shows the latest sweeps, as if it had been idled all along.
TEST_F(SweepDisplayTest, WithoutIdleTheLatestSweepsWinOverTheOldest) {
    // Eight sweeps of distinct lengths and heights, about 600 points in all.
    const int32_t lengths[] = {90, 60, 101, 75, 80, 55, 70, 65};
    for (int32_t s = 0; s < 8; ++s) feedSweep(0.9f - 0.1f * float(s), 0.001f, lengths[s]);
    frame->idle();
    const int32_t expectCurrent = lengths[7], expectPrevious = lengths[6], expectOlder = lengths[5];
    EXPECT_EQ(currentCount(), expectCurrent);
    EXPECT_EQ(display->getCount(display->getPrevious()), expectPrevious);
    EXPECT_EQ(display->getCount(display->getOlder()), expectOlder);
    EXPECT_EQ(display->getPoint(display->getCurrent(), 0), 20);  // 0.2 of 100 pixels
    EXPECT_EQ(display->getPoint(display->getPrevious(), 0), 30);
    EXPECT_EQ(display->getPoint(display->getOlder(), 0), 40);
    EXPECT_EQ(at(L, B - 20), kCurrent);
    EXPECT_EQ(at(L, B - 30), kPrevious);
    EXPECT_EQ(at(L, B - 40), kOlder);
}

// Long sweeps rotate every 101 points counted from their mark, and a reset empties what came
// before it but not what came after, however many points wait.
TEST_F(SweepDisplayTest, RotationAndResetKeepTheirPlaceInALongWait) {
    for (size_t i = 0; i < SweepPointQueue::kCapacity + 50; ++i) display->addPoint(0.5f);
    frame->idle();
    EXPECT_EQ(currentCount(), int32_t(SweepPointQueue::kCapacity + 50) % 101);
    EXPECT_EQ(display->getCount(display->getPrevious()), 101);

    feedSweep(0.3f, 0.0f, 300);  // rotates at 101 and 202 by itself
    display->requestReset();
    feedSweep(0.6f, 0.0f, 40);
    for (int32_t i = 0; i < 700; ++i) display->addPoint(i == 0 ? 99.7f : 0.7f);
    display->requestReset();
    feedSweep(0.8f, 0.0f, 30);
    frame->idle();
    EXPECT_EQ(currentCount(), 30);
    EXPECT_EQ(display->getPoint(display->getCurrent(), 0), 80);
    EXPECT_EQ(display->getCount(display->getPrevious()), 0);
    EXPECT_EQ(display->getCount(display->getOlder()), 0);
    display->addPoint(99.1f);
    frame->idle();
    EXPECT_EQ(currentCount(), 1);
    EXPECT_EQ(display->getCount(display->getPrevious()), 30);
}

}  // namespace
}  // namespace brindlet::test
