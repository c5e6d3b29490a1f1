// A view with a value: bounds, range, default, wheel step, listener, tag and background image.
#pragma once

#include <cstdint>

#include "toolkit/core/RelaxedFloat.h"
#include "toolkit/core/View.h"

namespace brindlet {

class Bitmap;
class ControlListener;

class Control : public View {
public:
    Control(const Rect& bounds, ControlListener* listener, int32_t tag, Bitmap* background);

    void draw(DrawContext* context) override = 0;
    bool isDirty() const override;
    void setDirty(bool flag) override;
    // Draws and clears only the flag: the draw itself records the value it showed.
    void redrawIfDirty(DrawContext* context) override;

    virtual void idleEditor();
    virtual void setValue(float value);
    virtual float getValue() const;
    virtual void setMin(float value);
    virtual float getMin() const;
    virtual void setMax(float value);
    virtual float getMax() const;
    virtual void setOldValue(float value);
    virtual float getOldValue() const;
    virtual void setDefaultValue(float value);
    virtual float getDefaultValue() const;
    virtual void setTag(int32_t tag);
    virtual void setBackground(Bitmap* bitmap);
    virtual Bitmap* getBackground() const;
    virtual void setBackgroundOffset(const Point& offset);
    virtual void alignBackgroundOffset();
    virtual void setWheelStep(float step);
    virtual float getWheelStep() const;
    virtual void clampValue();

    int32_t getTag() const { return tag; }
    ControlListener* getListener() const { return listener; }
    const Point& getBackgroundOffset() const { return backgroundOffset; }
    int32_t getDoubleClickTime() const { return doubleClickTime; }
    // The double-click rule: true when this click is the second of a double click.
    bool checkDoubleClick();

protected:
    ~Control() override;
    // Ends a draw: clears the flag and records `shown`, the one value the draw read. Reading
    // the value again here would mark a change that landed mid-draw as drawn.
    void markDrawn(float shown);
    // Tells the listener, if any, only when the value differs from the one drawn.
    void notifyIfDirty(DrawContext* context);
    // Tells the listener, if any, whatever the value.
    void notifyListener(DrawContext* context);
    // Draws the background image into `dest` from `source`, transparently or not.
    void drawBackground(DrawContext* context, const Rect& dest, const Point& source,
                        bool transparent);

    ControlListener* listener;
    int32_t tag;
    float oldValue = 1.0f;
    float defaultValue = 0.5f;
    // Stored by feeds and parameter changes from other threads, read by drawing.
    RelaxedFloat value{0.0f};
    float min = 0.0f;
    float max = 1.0f;
    float wheelStep = 0.1f;
    int32_t lastClickTime = -1;
    int32_t doubleClickTime;
    Bitmap* background;
    Point backgroundOffset;
};

}  // namespace brindlet
