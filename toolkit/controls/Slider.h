// A handle image moving along a track image; edits by dragging, arrow keys and the wheel.
#pragma once

#include <cstdint>

#include "toolkit/core/Control.h"

namespace brindlet {

class OffscreenContext;

enum SliderStyle : int32_t {
    sliderHorizontal = 1,
    sliderVertical = 2,
    sliderMinLeft = 8,     // value 0 at the left end
    sliderMinRight = 16,   // value 0 at the right end
    sliderMinTop = 32,     // value 0 at the top end
    sliderMinBottom = 64,  // value 0 at the bottom end
};

class Slider : public Control {
public:
    // minPos and maxPos: frame coordinates on the slider's axis between which the handle's leading
    // edge travels.
    Slider(const Rect& bounds, ControlListener* listener, int32_t tag, int32_t minPos,
           int32_t maxPos, Bitmap* handle, Bitmap* background, const Point& trackOffset,
           int32_t style);

    void draw(DrawContext* context) override;
    void onMouseDown(DrawContext* context, const Point& where) override;
    int32_t onKeyDown(const KeyCode& key) override;
    bool onWheel(DrawContext* context, const Point& where, float distance) override;
    bool onRemoved(View* parent) override;
    bool onAttached(View* parent) override;

    virtual void setDrawTransparentHandle(bool flag);
    virtual void setFreeClick(bool flag);
    virtual bool getFreeClick() const;
    virtual void setHandleOffset(const Point& offset);
    virtual void setHandle(Bitmap* bitmap);
    virtual Bitmap* getHandle() const;
    virtual void setZoomFactor(float factor);
    virtual float getZoomFactor() const;

    int32_t getStyle() const { return style; }
    int32_t getTravel() const { return travel; }
    int32_t getHandleMin() const { return handleMin; }
    int32_t getHandleMax() const { return handleMax; }
    const Point& getHandleOffset() const { return handleOffset; }
    OffscreenContext* getOffscreen() const { return offscreen; }
    // The handle's rectangle relative to the slider, as drawing places it for the current value.
    Rect handleRect() const;

protected:
    ~Slider() override;

private:
    bool isHorizontal() const { return (style & sliderHorizontal) != 0; }
    int32_t handleSizeOnAxis() const { return isHorizontal() ? handleWidth : handleHeight; }
    int32_t handleOffsetOnAxis() const { return isHorizontal() ? handleOffset.h : handleOffset.v; }
    int32_t onAxis(const Point& p) const { return isHorizontal() ? p.h : p.v; }
    int32_t handleStartOffset(float v) const;
    Rect handleRectAt(float v) const;
    void computeLimits();
    void destroyOffscreen();
    // The drag's grab point, or false when the press does not start a drag.
    bool grabDelta(const Point& where, int32_t& delta) const;
    void track(DrawContext* context, Point where, int32_t delta, ButtonState buttons);

    Point trackOffset;
    Point handleOffset;
    Bitmap* handle;
    OffscreenContext* offscreen = nullptr;
    int32_t handleWidth = 1;
    int32_t handleHeight = 1;
    int32_t travel;
    int32_t style;
    int32_t handleMin = 0;
    int32_t handleMax = 0;
    int32_t minPosRel;
    int32_t width;
    int32_t height;
    float zoomFactor = 10.0f;
    bool drawTransparentHandle = true;
    bool freeClick = true;
};

class VerticalSlider : public Slider {
public:
    VerticalSlider(const Rect& bounds, ControlListener* listener, int32_t tag, int32_t minPos,
                   int32_t maxPos, Bitmap* handle, Bitmap* background, const Point& trackOffset,
                   int32_t style = sliderMinBottom);
};

class HorizontalSlider : public Slider {
public:
    HorizontalSlider(const Rect& bounds, ControlListener* listener, int32_t tag, int32_t minPos,
                     int32_t maxPos, Bitmap* handle, Bitmap* background, const Point& trackOffset,
                     int32_t style = sliderMinLeft);
};

}  // namespace brindlet
