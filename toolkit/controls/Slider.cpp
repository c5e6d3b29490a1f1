// Slider geometry, drawing through its offscreen picture, and the drag, key and wheel edits.
#include "toolkit/controls/Slider.h"

#include <algorithm>
#include <new>

#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/core/Frame.h"
#include "toolkit/core/SafeConvert.h"
#include "toolkit/draw/OffscreenContext.h"

namespace brindlet {

namespace {
constexpr int32_t kValueAsIs = sliderMinLeft | sliderMinTop;            // drawing: value unchanged
constexpr int32_t kPositionFlipped = sliderMinRight | sliderMinBottom;  // dragging: 1 - position
constexpr float kFineKeyFactor = 0.1f;
}  // namespace

Slider::Slider(const Rect& bounds, ControlListener* listener, int32_t tag, int32_t minPos,
               int32_t maxPos, Bitmap* handle, Bitmap* background, const Point& trackOffset,
               int32_t style)
    : Control(bounds, listener, tag, background),
      trackOffset(trackOffset),
      handle(handle),
      travel(maxPos - minPos),
      style(style),
      minPosRel(minPos - ((style & sliderHorizontal) ? bounds.left : bounds.top)),
      width(bounds.width()),
      height(bounds.height()) {
    if (handle) {
        handle->retain();
        handleWidth = handle->getWidth();
        handleHeight = handle->getHeight();
    }
    computeLimits();
}

Slider::~Slider() {
    destroyOffscreen();
    if (handle) handle->release();
}

void Slider::computeLimits() {
    handleMin = minPosRel + handleOffsetOnAxis();
    handleMax = handleMin + travel + handleSizeOnAxis();
}

void Slider::destroyOffscreen() {
    delete offscreen;
    offscreen = nullptr;
}

bool Slider::onAttached(View*) {
    destroyOffscreen();
    offscreen = new (std::nothrow) OffscreenContext(getFrame(), width, height, kBlackColor);
    return true;
}

bool Slider::onRemoved(View*) {
    destroyOffscreen();
    return true;
}

// ---- Geometry --------------------------------------------------------------------------------

int32_t Slider::handleStartOffset(float v) const {
    const float f = (style & kValueAsIs) ? v : 1.0f - v;
    // A host may store any value: far outside 0..1 the sum must saturate, not wrap.
    const int64_t start =
        int64_t{truncToInt(static_cast<float>(travel) * f)} + handleOffsetOnAxis();
    return saturateToInt(start);
}

Rect Slider::handleRect() const {
    return handleRectAt(value);
}

Rect Slider::handleRectAt(float v) const {
    int32_t start = handleStartOffset(v);
    start = std::clamp(start, handleMin, std::max(handleMin, handleMax));
    // the handle image is cut at the end of its travel
    const int32_t end =
        saturateToInt(std::min<int64_t>(int64_t{start} + handleSizeOnAxis(), handleMax));
    if (isHorizontal()) return {start, handleOffset.v, end, handleOffset.v + handleHeight};
    return {handleOffset.h, start, handleOffset.h + handleWidth, end};
}

// ---- Drawing ---------------------------------------------------------------------------------

void Slider::draw(DrawContext* context) {
    const float shown = getValue();
    if (offscreen) {
        const Rect whole(0, 0, width, height);
        const bool trackCoversAll = background && background->hasImage() && !isTransparent();
        if (!trackCoversAll) {
            // Nothing would cover the previous handle position otherwise.
            offscreen->setFillColor(offscreen->getBackgroundColor());
            offscreen->fillRect(Rect(-1, -1, width, height));
        }
        drawBackground(offscreen, whole, trackOffset, isTransparent());
        if (handle) {
            const Rect h = handleRectAt(shown);
            if (drawTransparentHandle) {
                handle->drawTransparent(offscreen, h, Point(0, 0));
            } else {
                handle->draw(offscreen, h, Point(0, 0));
            }
        }
        offscreen->copyTo(context, bounds(), Point(0, 0));
    }
    markDrawn(shown);
}

// ---- Editing ---------------------------------------------------------------------------------

bool Slider::grabDelta(const Point& where, int32_t& delta) const {
    const int32_t origin = isHorizontal() ? bounds().left : bounds().top;
    const int32_t base = origin + handleOffsetOnAxis();
    if (freeClick) {
        delta = base + handleSizeOnAxis() / 2 - 1;
        return true;
    }
    const int32_t start = origin + handleStartOffset(value);
    const int32_t end = start + handleSizeOnAxis();
    Rect grab;
    if (isHorizontal()) {
        const int32_t top = bounds().top + handleOffset.v;
        grab = Rect(start, top, end, top + handleHeight);
    } else {
        const int32_t left = bounds().left + handleOffset.h;
        grab = Rect(left, start, left + handleWidth, end);
    }
    if (!grab.contains(where)) return false;
    delta = base + (onAxis(where) - start);
    return true;
}

void Slider::onMouseDown(DrawContext* context, const Point& where) {
    if (!isMouseEnabled() || !context) return;
    const ButtonState buttons = context->getMouseButtons();
    if (buttons == (kLButton | kControl)) {
        // Reset gesture: no edit bracket.
        value = getDefaultValue();
        notifyIfDirty(context);
        return;
    }
    if (!(buttons & kLButton)) return;
    int32_t delta = 0;
    if (!grabDelta(where, delta)) return;
    track(context, where, delta, buttons);
}

void Slider::track(DrawContext* context, Point where, int32_t delta, ButtonState buttons) {
    Frame* frame = getFrame();
    float startValue = value;
    ButtonState oldButtons = buttons;
    if (frame) {
        frame->beginEdit(tag);
        frame->setFocusView(this);
    }
    while ((buttons = context->getMouseButtons()) & kLButton) {
        // While shift stays held the fine adjustment stays anchored where shift went down.
        if (buttons != oldButtons && (buttons & kShift)) {
            oldButtons = buttons;
            startValue = value;
        } else if (!(buttons & kShift)) {
            startValue = value;
        }
        if (travel != 0) {
            value = static_cast<float>(onAxis(where) - delta) / static_cast<float>(travel);
            if (style & kPositionFlipped) value = 1.0f - value;
            if ((buttons & kShift) && zoomFactor != 0.0f) {
                value = startValue + (value - startValue) / zoomFactor;
            }
        }
        clampValue();
        notifyIfDirty(context);
        context->getMouseLocation(where);
        idleEditor();
    }
    if (frame) frame->endEdit(tag);
}

int32_t Slider::onKeyDown(const KeyCode& key) {
    float step = 0.0f;
    switch (key.virt) {
        case kKeyLeft:
        case kKeyDown:
            step = -1.0f;
            break;
        case kKeyUp:
        case kKeyRight:
            step = 1.0f;
            break;
        default:
            return -1;
    }
    float change = step * wheelStep;
    if (key.modifier & kModifierShift) change *= kFineKeyFactor;
    value += change;
    clampValue();
    notifyIfDirty(nullptr);
    return 1;
}

bool Slider::onWheel(DrawContext* context, const Point&, float distance) {
    if (!isMouseEnabled()) return false;
    float change = distance * wheelStep;
    if (readButtonState() & kShift) change *= kFineKeyFactor;
    value += change;
    clampValue();
    notifyIfDirty(context);
    return true;
}

// ---- Settings --------------------------------------------------------------------------------

void Slider::setDrawTransparentHandle(bool flag) {
    drawTransparentHandle = flag;
}
void Slider::setFreeClick(bool flag) {
    freeClick = flag;
}
bool Slider::getFreeClick() const {
    return freeClick;
}

void Slider::setHandleOffset(const Point& offset) {
    handleOffset = offset;
    computeLimits();
}

void Slider::setHandle(Bitmap* bitmap) {
    if (bitmap) bitmap->retain();
    if (handle) handle->release();
    handle = bitmap;
    if (handle) {
        handleWidth = handle->getWidth();
        handleHeight = handle->getHeight();
    }
}

Bitmap* Slider::getHandle() const {
    return handle;
}
void Slider::setZoomFactor(float factor) {
    zoomFactor = factor;
}
float Slider::getZoomFactor() const {
    return zoomFactor;
}

VerticalSlider::VerticalSlider(const Rect& bounds, ControlListener* listener, int32_t tag,
                               int32_t minPos, int32_t maxPos, Bitmap* handle, Bitmap* background,
                               const Point& trackOffset, int32_t style)
    : Slider(bounds, listener, tag, minPos, maxPos, handle, background, trackOffset,
             style | sliderVertical) {}

HorizontalSlider::HorizontalSlider(const Rect& bounds, ControlListener* listener, int32_t tag,
                                   int32_t minPos, int32_t maxPos, Bitmap* handle,
                                   Bitmap* background, const Point& trackOffset, int32_t style)
    : Slider(bounds, listener, tag, minPos, maxPos, handle, background, trackOffset,
             style | sliderHorizontal) {}

}  // namespace brindlet
