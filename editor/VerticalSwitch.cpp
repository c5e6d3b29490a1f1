// Position switch drawing and its drag-to-choose tracking loop.
#include "editor/VerticalSwitch.h"

#include <algorithm>

#include "toolkit/core/Frame.h"
#include "toolkit/core/SafeConvert.h"
#include "toolkit/draw/DrawContext.h"

namespace brindlet {

VerticalSwitch::VerticalSwitch(const Rect& bounds, ControlListener* listener, int32_t tag,
                               int32_t imageHeight, int32_t positions, Bitmap* background)
    : Control(bounds, listener, tag, background),
      imageHeight(imageHeight),
      // One position would divide by zero when values are computed.
      positions(std::max(positions, 2)) {
    setDefaultValue(0.0f);
}

void VerticalSwitch::draw(DrawContext* context) {
    const float shown = getValue();
    if (getBackground()) {
        const float position = static_cast<float>(positions - 1) * shown + 0.5f;
        const int32_t index = std::clamp(truncToInt(position), 0, positions - 1);
        drawBackground(context, bounds(), Point(0, index * imageHeight), isTransparent());
    }
    markDrawn(shown);
}

void VerticalSwitch::onMouseDown(DrawContext* context, const Point& where) {
    if (!isMouseEnabled() || !context) return;
    const ButtonState buttons = context->getMouseButtons();
    if (!(buttons & kLButton)) return;
    if (buttons == (kLButton | kControl)) {
        // Reset gesture: no edit bracket, and a report only when the value moved.
        setValue(getDefaultValue());
        notifyIfDirty(context);
        return;
    }
    track(context, where, buttons);
}

void VerticalSwitch::track(DrawContext* context, Point where, ButtonState buttons) {
    const double band = static_cast<double>(imageHeight) / static_cast<double>(positions);
    Frame* frame = getFrame();
    if (frame) frame->beginEdit(tag);
    do {
        const int32_t index =
            band != 0.0 ? truncToInt(static_cast<double>(where.v - bounds().top) / band) : 0;
        float v = static_cast<float>(index) / static_cast<float>(positions - 1);
        if (v > 1.0f) {
            v = 1.0f;
        } else if (v < 0.0f) {
            v = 0.0f;
        }
        setValue(v);
        notifyIfDirty(context);
        context->getMouseLocation(where);
        idleEditor();
        // Pressing or releasing a modifier ends the gesture as releasing the button does.
    } while (context->getMouseButtons() == buttons);
    if (frame) frame->endEdit(tag);
}

}  // namespace brindlet
