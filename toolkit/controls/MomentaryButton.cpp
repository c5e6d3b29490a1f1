// Momentary button drawing and its press-and-hold tracking loop.
#include "toolkit/controls/MomentaryButton.h"

#include "toolkit/core/Frame.h"
#include "toolkit/draw/DrawContext.h"

namespace brindlet {

MomentaryButton::MomentaryButton(const Rect& bounds, ControlListener* listener, int32_t tag,
                                 int32_t imageHeight, Bitmap* background, const Point& imageOffset)
    : Control(bounds, listener, tag, background),
      imageOffset(imageOffset),
      imageHeight(imageHeight) {}

void MomentaryButton::draw(DrawContext* context) {
    clampValue();
    const float shown = getValue();
    Point source = imageOffset;
    if (shown != 0.0f) source.v += imageHeight;
    // Always transparent, whatever the transparent flag says.
    drawBackground(context, bounds(), source, true);
    markDrawn(shown);
}

void MomentaryButton::onMouseDown(DrawContext* context, const Point& where) {
    if (!isMouseEnabled() || !context) return;
    const ButtonState buttons = context->getMouseButtons();
    if (!(buttons & kLButton)) return;
    if (buttons == kLButton) {
        track(context, where);
    } else {
        // Left button together with a modifier or another button: report 1 at once.
        value = (value == 0.0f) ? 1.0f : 0.0f;
        notifyListener(context);
    }
    value = 0.0f;
    notifyListener(context);
}

void MomentaryButton::track(DrawContext* context, Point where) {
    Frame* frame = getFrame();
    const float startValue = value;
    if (frame) frame->beginEdit(tag);
    do {
        if (bounds().contains(where)) {
            value = (startValue == 0.0f) ? 1.0f : 0.0f;
        } else {
            value = startValue;
        }
        notifyIfDirty(context);
        context->getMouseLocation(where);
        idleEditor();
    } while (context->getMouseButtons() == kLButton);
    if (frame) frame->endEdit(tag);
}

}  // namespace brindlet
