// The value model shared by all controls: dirty against the value last drawn, clamping, listener.
#include "toolkit/core/Control.h"

#include <algorithm>

#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/core/ControlListener.h"
#include "toolkit/core/Frame.h"
#include "toolkit/core/FrameEditor.h"
#include "toolkit/platform/Platform.h"

namespace brindlet {

namespace {
constexpr int32_t kMinDoubleClickTime = 250;
}

Control::Control(const Rect& bounds, ControlListener* listener, int32_t tag, Bitmap* background)
    : View(bounds),
      listener(listener),
      tag(tag),
      doubleClickTime(std::max(platform::getDoubleClickTime(), kMinDoubleClickTime)),
      background(background) {
    setTransparent(false);
    setMouseEnabled(true);
    if (background) background->retain();
}

Control::~Control() {
    if (background) background->release();
}

bool Control::isDirty() const {
    return value != oldValue || View::isDirty();
}

void Control::setDirty(bool flag) {
    View::setDirty(flag);
    if (flag) {
        // Move the drawn value off the current one so the next idle draws the control.
        oldValue = (value == -1.0f) ? 0.0f : -1.0f;
    } else {
        oldValue = value;
    }
}

void Control::markDrawn(float shown) {
    View::setDirty(false);
    oldValue = shown;
}

void Control::redrawIfDirty(DrawContext* context) {
    if (!isDirty()) return;
    draw(context);
    View::setDirty(false);
}

void Control::idleEditor() {
    FrameEditor* editor = getFrame() ? getFrame()->getEditor() : nullptr;
    if (editor) editor->idleAndPump();
}

void Control::setValue(float v) {
    value = v;
}
float Control::getValue() const {
    return value;
}
void Control::setMin(float v) {
    min = v;
}
float Control::getMin() const {
    return min;
}
void Control::setMax(float v) {
    max = v;
}
float Control::getMax() const {
    return max;
}
void Control::setOldValue(float v) {
    oldValue = v;
}
float Control::getOldValue() const {
    return oldValue;
}
void Control::setDefaultValue(float v) {
    defaultValue = v;
}
float Control::getDefaultValue() const {
    return defaultValue;
}
void Control::setTag(int32_t t) {
    tag = t;
}

void Control::setBackground(Bitmap* bitmap) {
    // Retain first so that giving the same bitmap again cannot free it.
    if (bitmap) bitmap->retain();
    if (background) background->release();
    background = bitmap;
}

Bitmap* Control::getBackground() const {
    return background;
}
void Control::setBackgroundOffset(const Point& offset) {
    backgroundOffset = offset;
}
void Control::alignBackgroundOffset() {
    backgroundOffset = bounds().topLeft();
}
void Control::setWheelStep(float step) {
    wheelStep = step;
}
float Control::getWheelStep() const {
    return wheelStep;
}

void Control::clampValue() {
    if (value > max) {
        value = max;
    } else if (value < min) {
        value = min;
    }
}

bool Control::checkDoubleClick() {
    const int32_t now = getFrame() ? static_cast<int32_t>(getFrame()->getTicks()) : 0;
    if (lastClickTime < 1 || now - lastClickTime >= doubleClickTime) {
        lastClickTime = now;
        return false;
    }
    lastClickTime = 0;
    return true;
}

void Control::notifyIfDirty(DrawContext* context) {
    if (isDirty() && listener) listener->valueChanged(context, this);
}

void Control::notifyListener(DrawContext* context) {
    if (listener) listener->valueChanged(context, this);
}

void Control::drawBackground(DrawContext* context, const Rect& dest, const Point& source,
                             bool transparent) {
    if (!background) return;
    if (transparent) {
        background->drawTransparent(context, dest, source);
    } else {
        background->draw(context, dest, source);
    }
}

}  // namespace brindlet
