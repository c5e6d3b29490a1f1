// Sweep display: points handed over from the audio thread, trace rotation, the curve, and
// incremental drawing of the trace that is playing.
#include "editor/SweepDisplay.h"

#include <algorithm>
#include <cmath>

#include "toolkit/core/SafeConvert.h"
#include "toolkit/draw/DrawContext.h"

namespace brindlet {

namespace {
constexpr float kDecayFactor = 0.9483959674835205f;
constexpr float kNewSweepMark = 50.0f;  // the engine adds 99 to the first point of a sweep
constexpr float kNewSweepOffset = 99.0f;
constexpr int32_t kMaxCurveSteps = 100;

// A hand-over entry: a height in pixels, or a mark.
constexpr uint32_t kEntryReset = 1u << 31;
constexpr uint32_t kEntryNewTrace = 1u << 30;
constexpr uint32_t kEntryHeightMask = 0xFFFF;

constexpr Color kFieldColor{0, 0, 0, 0};
constexpr Color kOlderColor{80, 96, 80, 0};
constexpr Color kPreviousColor{80, 132, 80, 0};
constexpr Color kCurveColor{255, 51, 51, 0};
constexpr Color kCurrentColor{0, 255, 0, 0};

// Nearest integer, ties to even, in single precision; NaN and huge values stay defined.
int32_t roundToInt(float x) {
    return truncToInt(static_cast<double>(std::nearbyint(x)));
}
}  // namespace

SweepDisplay::SweepDisplay(const Rect& bounds, ControlListener* listener, int32_t tag)
    : Control(bounds, listener, tag, nullptr),
      plot(bounds),
      width(static_cast<float>(bounds.right - bounds.left + 1)),
      height(static_cast<float>(bounds.bottom - bounds.top + 1)) {
    float entry = 1.0f;
    for (float& d : decayTable) {
        d = entry;
        entry *= kDecayFactor;
    }
}

// ---- Values from other threads ---------------------------------------------------------------

void SweepDisplay::setStart(float value) {
    start.store(value, std::memory_order_relaxed);
    curveDirty.store(true, std::memory_order_relaxed);
}
void SweepDisplay::setEnd(float value) {
    end.store(value, std::memory_order_relaxed);
    curveDirty.store(true, std::memory_order_relaxed);
}
void SweepDisplay::setDecay(float value) {
    decay.store(value, std::memory_order_relaxed);
    curveDirty.store(true, std::memory_order_relaxed);
}
void SweepDisplay::setShape(float value) {
    shape.store(value, std::memory_order_relaxed);
    curveDirty.store(true, std::memory_order_relaxed);
}

void SweepDisplay::addPoint(float value) {
    int32_t count = fedCount.load(std::memory_order_relaxed);
    bool newTrace = count >= kTracePoints;
    if (value > kNewSweepMark) {
        value -= kNewSweepOffset;
        newTrace = true;
    }
    if (newTrace) count = 0;
    fedCount.store(count + 1, std::memory_order_relaxed);
    // Heights outside the plot would only draw outside it; they are held at its edges.
    const int32_t maxHeight = roundToInt(height - 1.0f);
    const int32_t h = std::clamp(roundToInt(value * (height - 1.0f)), 0, maxHeight);
    points.push(static_cast<uint32_t>(h) | (newTrace ? kEntryNewTrace : 0u));
}

void SweepDisplay::requestReset() {
    fedCount.store(0, std::memory_order_relaxed);
    points.push(kEntryReset);
}

// ---- Traces ----------------------------------------------------------------------------------

void SweepDisplay::appendPoint(uint32_t entry) {
    // A full trace rotates by itself only when the feeding side's count was lost with a point.
    if ((entry & kEntryNewTrace) || counts[current] >= kTracePoints) {
        const int32_t reused = older;
        older = previous;
        previous = current;
        current = reused;
        counts[current] = 0;
        drawnUpTo = 0;
        curveDirty.store(true, std::memory_order_relaxed);
    }
    traces[current][counts[current]] = static_cast<int32_t>(entry & kEntryHeightMask);
    ++counts[current];
}

void SweepDisplay::clearTraces() {
    counts[0] = counts[1] = counts[2] = 0;
    curveDirty.store(true, std::memory_order_relaxed);
}

void SweepDisplay::drainPoints() {
    uint32_t entry = 0;
    uint64_t lost = 0;
    while (points.pop(entry, lost)) {
        // What was drawn before the lost points is older than every sweep still held, which
        // always include the last three whole traces: those are rebuilt from the held points.
        if (lost != 0) clearTraces();
        if (entry & kEntryReset) {
            clearTraces();
        } else {
            appendPoint(entry);
        }
    }
}

// ---- Drawing ---------------------------------------------------------------------------------

void SweepDisplay::redrawIfDirty(DrawContext* context) {
    // Resets travel with the points, so a reset empties what came before it and no more.
    drainPoints();
    if (curveDirty.exchange(false, std::memory_order_relaxed)) {
        drawnUpTo = 0;
        draw(context);
    }
    if (counts[current] != 0) drawLive(context);
}

void SweepDisplay::draw(DrawContext* context) {
    context->setFillColor(kFieldColor);
    context->setFrameColor(kFieldColor);
    context->drawRect(plot);
    context->fillRect(plot);
    context->setFrameColor(kOlderColor);
    drawTrace(context, older);
    context->setFrameColor(kPreviousColor);
    drawTrace(context, previous);
    context->setFrameColor(kCurveColor);
    drawCurve(context);
    // The current trace follows from its first point in drawLive, since drawnUpTo is 0 after a
    // full redraw; the display never records a drawn value, so it stays dirty for every idle.
}

void SweepDisplay::drawTrace(DrawContext* context, int32_t buffer) {
    const int32_t* trace = traces[buffer];
    context->moveTo({plot.left, plot.bottom - trace[0]});
    for (int32_t i = 1; i < counts[buffer]; ++i) {
        context->lineTo({plot.left + i, plot.bottom - trace[i]});
    }
}

void SweepDisplay::drawCurve(DrawContext* context) {
    const float s = start.load(std::memory_order_relaxed);
    const float e = end.load(std::memory_order_relaxed);
    const float sh = shape.load(std::memory_order_relaxed);
    const float d = decay.load(std::memory_order_relaxed);
    const float bottom = static_cast<float>(plot.bottom);
    const float yEnd = bottom - (height - 1.0f) * e;
    const float span = (s - e) * height;
    const int32_t n = std::clamp(roundToInt(width * d), 0, kMaxCurveSteps);
    context->moveTo({plot.left, roundToInt(bottom - (height - 1.0f) * s)});
    if (n > 1) {
        // Only computed when used: with decay 0 both steps would be infinite.
        const float stepLin = 1.0f / (width * d);
        const float stepK = 1.0f / d;
        float lin = 1.0f;
        float acc = 0.0f;
        for (int32_t i = 1; i < n; ++i) {
            lin -= stepLin;
            acc += stepK;
            const int32_t k = std::clamp(roundToInt(acc), 0, kDecaySteps - 1);
            const float v = (1.0f - sh) * decayTable[k] + sh * lin;
            context->lineTo({plot.left + i, roundToInt(yEnd - v * span)});
        }
    }
    context->lineTo({plot.left + n, roundToInt(yEnd)});
    context->lineTo({plot.right + 1, roundToInt(yEnd)});
}

void SweepDisplay::drawLive(DrawContext* context) {
    if (counts[current] == 0) return;
    drawnUpTo = std::min(drawnUpTo, counts[current] - 1);
    context->setFrameColor(kCurrentColor);
    const int32_t* trace = traces[current];
    context->moveTo({plot.left + drawnUpTo, plot.bottom - trace[drawnUpTo]});
    for (int32_t i = drawnUpTo + 1; i < counts[current]; ++i) {
        context->lineTo({plot.left + i, plot.bottom - trace[i]});
    }
    drawnUpTo = counts[current] - 1;
}

}  // namespace brindlet
