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

class SweepDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        frame = new Frame(Rect(0, 0, 465, 360), fakeParentWindow(), nullptr);
        display = new SweepDisplay(Rect(L, 44, R, B), nullptr, kTagSweepDisplay);
        frame->addView(display);
        window = frame->getWindow();
        headless::paint(window, Rect(0, 0, 465, 360));
    }
    void TearDown() override {
        delete frame;
        headless::reset();
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

    Frame* frame = nullptr;
    SweepDisplay* display = nullptr;
    NativeWindow* window = nullptr;
};

TEST_F(SweepDisplayTest, ExponentialCurveFromTopEdgeToBottomLine) {
    setCurve(1.0f, 0.0f, 1.0f, 0.0f);
    frame->idle();
    EXPECT_EQ(at(L, B - 100), kCurve);      // starts at the top edge
    EXPECT_EQ(at(L + 100, B), kCurve);      // ends on the bottom line...
    EXPECT_EQ(at(R, B), kCurve);            // ...which it follows to the right edge
    EXPECT_EQ(at(L + 50, B - 50), kBlack);  // not a straight line
    // Halfway the exponential has fallen to 0.9484^50, about 7 % of the span.
    EXPECT_EQ(at(L + 50, B - 7), kCurve);
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("sweep-curve-exponential")));
}

TEST_F(SweepDisplayTest, LinearCurveIsAStraightLineOverDecayWidth) {
    setCurve(1.0f, 0.0f, 1.0f, 1.0f);
    frame->idle();
    for (int32_t i = 1; i < 100; i += 7) {
        // lin = 1 - i / 101 of a span of 101 pixels.
        EXPECT_EQ(at(L + i, B - 101 + i), kCurve) << i;
    }
    // Half the decay, rising: 50 steps of 1.2 pixels from the bottom, then the end level runs on.
    setCurve(0.0f, 0.6f, 0.5f, 1.0f);
    frame->idle();
    EXPECT_EQ(at(L, B), kCurve);
    EXPECT_EQ(at(L + 25, B - 29), kCurve);  // 144.6 - 1.2 * 25 rounds to 115
    EXPECT_EQ(at(L + 75, B - 60), kCurve);
    EXPECT_EQ(at(L + 50, B - 51), kBlack);  // the earlier curve is gone
}

TEST_F(SweepDisplayTest, DecayZeroDrawsAVerticalLineAtTheLeftEdge) {
    setCurve(1.0f, 0.0f, 0.0f, 0.5f);
    frame->idle();
    for (int32_t y = B - 100; y < B; y += 9) EXPECT_EQ(at(L, y), kCurve) << y;
    EXPECT_EQ(at(L + 1, B - 50), kBlack);
    EXPECT_EQ(at(L + 60, B), kCurve);
}

TEST_F(SweepDisplayTest, DecayNearOneKeepsTheTableIndexAtItsLastEntry) {
    // n = rint(101 * 0.99) = 100, and acc reaches 100 at i = 99.
    setCurve(1.0f, 0.0f, 0.99f, 0.0f);
    frame->idle();
    // decayTable[99] of a span of 101 pixels is half a pixel: 0.53 rounds to 1 above the bottom.
    EXPECT_EQ(at(L + 99, B - 1), kCurve);
    EXPECT_EQ(at(L + 100, B), kCurve);
}

TEST_F(SweepDisplayTest, OutOfRangeCurveValuesStayInsideTheWindow) {
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
    EXPECT_EQ(display->getCount(display->getCurrent()), 2);
    EXPECT_EQ(display->getPoint(display->getCurrent(), 0), 100);
    EXPECT_EQ(display->getPoint(display->getCurrent(), 1), 0);
    EXPECT_EQ(display->getPoint(display->getPrevious(), 0), 0);
}

TEST_F(SweepDisplayTest, CurrentTraceIsDrawnPointByPointAtIdle) {
    feedSweep(0.9f, 0.01f, 10);
    frame->idle();
    EXPECT_EQ(display->getDrawnUpTo(), 9);
    EXPECT_EQ(at(L, B - 90), kCurrent);
    EXPECT_EQ(at(L + 8, B - 82), kCurrent);
    EXPECT_EQ(at(L + 9, B - 81), kBlack);  // a line leaves out its last point
    // Nothing new: only a move to the last point.
    frame->idle();
    EXPECT_EQ(display->getDrawnUpTo(), 9);
    display->addPoint(0.80f);
    display->addPoint(0.79f);
    frame->idle();
    EXPECT_EQ(display->getDrawnUpTo(), 11);
    EXPECT_EQ(at(L + 9, B - 81), kCurrent);
    EXPECT_EQ(at(L + 10, B - 80), kCurrent);
}

TEST_F(SweepDisplayTest, NewSweepsRotateTracesThroughPreviousAndOlder) {
    feedSweep(0.9f, 0.0f, 30);  // flat at 90
    frame->idle();
    feedSweep(0.6f, 0.0f, 30);  // flat at 60
    frame->idle();
    EXPECT_EQ(at(L + 10, B - 90), kPrevious);
    EXPECT_EQ(at(L + 10, B - 60), kCurrent);
    feedSweep(0.3f, 0.0f, 30);
    frame->idle();
    EXPECT_EQ(at(L + 10, B - 90), kOlder);
    EXPECT_EQ(at(L + 10, B - 60), kPrevious);
    EXPECT_EQ(at(L + 10, B - 30), kCurrent);
    // The fourth sweep reuses the oldest buffer.
    const int32_t oldest = display->getOlder();
    feedSweep(0.1f, 0.0f, 5);
    EXPECT_EQ(display->getCurrent(), 0);  // the hand-over waits for the drawing side
    frame->idle();
    EXPECT_EQ(display->getCurrent(), oldest);
    EXPECT_EQ(at(L + 10, B - 90), kBlack);
    EXPECT_EQ(at(L + 10, B - 60), kOlder);
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("sweep-traces-rotated")));
}

TEST_F(SweepDisplayTest, The102ndPointStartsANewTraceByItself) {
    feedSweep(1.0f, 0.01f, 101);
    frame->idle();
    const int32_t first = display->getCurrent();
    EXPECT_EQ(display->getCount(first), 101);
    display->addPoint(0.5f);
    display->addPoint(0.5f);
    frame->idle();
    EXPECT_NE(display->getCurrent(), first);
    EXPECT_EQ(display->getPrevious(), first);
    EXPECT_EQ(display->getCount(display->getCurrent()), 2);
    EXPECT_EQ(at(L + 50, B - 50), kPrevious);  // the full trace was redrawn dimmer
    EXPECT_EQ(at(L, B - 50), kCurrent);
}

TEST_F(SweepDisplayTest, A995PointStartsATraceHalfwayUp) {
    display->addPoint(0.2f);
    display->addPoint(99.5f);
    display->addPoint(0.5f);
    frame->idle();
    EXPECT_EQ(display->getCount(display->getCurrent()), 2);
    EXPECT_EQ(display->getPoint(display->getCurrent(), 0), 50);
    EXPECT_EQ(at(L, B - 50), kCurrent);
}

TEST_F(SweepDisplayTest, ResetEmptiesAllTracesAtTheNextIdleAndKeepsTheRoles) {
    setCurve(0.5f, 0.5f, 0.5f, 0.0f);
    feedSweep(0.9f, 0.0f, 20);
    feedSweep(0.7f, 0.0f, 20);
    frame->idle();
    const int32_t current = display->getCurrent();
    display->requestReset();
    EXPECT_EQ(display->getCount(current), 20);  // nothing happens before the idle
    frame->idle();
    for (int32_t b = 0; b < 3; ++b) EXPECT_EQ(display->getCount(b), 0);
    EXPECT_EQ(at(L + 5, B - 90), kBlack);
    EXPECT_EQ(at(L + 5, B - 70), kBlack);
    EXPECT_EQ(at(L + 5, B - 50), kCurve);
    display->addPoint(0.2f);
    display->addPoint(0.2f);
    frame->idle();
    EXPECT_EQ(display->getCurrent(), current);
    EXPECT_EQ(at(L, B - 20), kCurrent);
}

TEST_F(SweepDisplayTest, PaintRequestsDrawEverythingButTheCurrentTrace) {
    feedSweep(0.9f, 0.0f, 20);
    frame->idle();
    feedSweep(0.4f, 0.0f, 20);
    frame->idle();
    const int32_t drawn = display->getDrawnUpTo();
    headless::paint(window, Rect(0, 0, 465, 360));
    EXPECT_EQ(at(L + 5, B - 90), kPrevious);
    EXPECT_EQ(at(L + 5, B - 40), kBlack);
    EXPECT_EQ(display->getDrawnUpTo(), drawn);
    display->addPoint(0.4f);
    frame->idle();  // only the new segment comes back
    EXPECT_EQ(at(L + 19, B - 40), kCurrent);
    EXPECT_EQ(at(L + 5, B - 40), kBlack);
}

TEST_F(SweepDisplayTest, AFullQueueDropsPointsInsteadOfWaiting) {
    for (size_t i = 0; i < SweepPointQueue::kCapacity + 50; ++i) display->addPoint(0.5f);
    frame->idle();
    // 512 points without a new-sweep mark: five full traces and a partial sixth.
    const int32_t total = int32_t(SweepPointQueue::kCapacity);
    EXPECT_EQ(display->getCount(display->getCurrent()), total % 101);
    display->addPoint(99.1f);
    frame->idle();
    EXPECT_EQ(display->getCount(display->getCurrent()), 1);
}

}  // namespace
}  // namespace brindlet::test
