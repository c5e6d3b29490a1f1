// The editor's plot of the pitch-sweep curve and of the last three sweeps the engine reported.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "editor/SweepPointQueue.h"
#include "toolkit/core/Control.h"

namespace brindlet {

class SweepDisplay : public Control {
public:
    static constexpr int32_t kTracePoints = 101;
    static constexpr int32_t kDecaySteps = 100;

    SweepDisplay(const Rect& bounds, ControlListener* listener, int32_t tag);

    // Called from any thread; the next redraw draws the whole plot.
    void setStart(float value);
    void setEnd(float value);
    void setDecay(float value);
    void setShape(float value);
    // Audio thread: hands one engine point (feed 19) to the drawing side without waiting.
    void addPoint(float value);
    // Audio thread: all traces are emptied at the next redraw (feed 39).
    void requestReset();

    void draw(DrawContext* context) override;
    void redrawIfDirty(DrawContext* context) override;
    virtual void drawLive(DrawContext* context);

    // The drawing side's view of the traces, for tests.
    int32_t getCount(int32_t buffer) const { return counts[buffer]; }
    int32_t getPoint(int32_t buffer, int32_t index) const { return traces[buffer][index]; }
    int32_t getCurrent() const { return current; }
    int32_t getPrevious() const { return previous; }
    int32_t getOlder() const { return older; }
    int32_t getDrawnUpTo() const { return drawnUpTo; }

protected:
    ~SweepDisplay() override = default;

private:
    // The drawing side's part of adding a point: rotation and storing, on the UI thread.
    void appendPoint(uint32_t entry);
    void clearTraces();
    void drainPoints();
    void drawTrace(DrawContext* context, int32_t buffer);
    void drawCurve(DrawContext* context);

    Rect plot;
    float width;
    float height;
    std::array<float, kDecaySteps> decayTable;
    // Written by whichever thread sets parameters, read when drawing.
    std::atomic<float> start{0.0f};
    std::atomic<float> end{0.0f};
    std::atomic<float> shape{0.0f};
    std::atomic<float> decay{0.0f};
    std::atomic<bool> curveDirty{false};
    // Points in the trace being fed, as the drawing side will count them: the feeding side decides
    // where traces begin, so trace boundaries survive points that give way in the hand-over.
    std::atomic<int32_t> fedCount{0};
    // From here on: the drawing side only.
    int32_t traces[3][kTracePoints] = {};
    int32_t counts[3] = {};
    int32_t drawnUpTo = 0;
    int32_t current = 0;
    int32_t previous = 1;
    int32_t older = 2;
    SweepPointQueue points;

    static_assert(std::atomic<float>::is_always_lock_free);
    static_assert(std::atomic<bool>::is_always_lock_free);
    static_assert(std::atomic<int32_t>::is_always_lock_free);
};

}  // namespace brindlet
