// Toggle drawing and its press-to-flip edit.
#include "editor/OnOffButton.h"

#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/draw/DrawContext.h"

namespace brindlet {

OnOffButton::OnOffButton(const Rect& bounds, ControlListener* listener, int32_t tag,
                         Bitmap* background)
    : Control(bounds, listener, tag, background) {}

void OnOffButton::draw(DrawContext* context) {
    const float shown = getValue();
    Bitmap* bitmap = getBackground();
    if (bitmap) {
        const Point offset(0, shown == 0.0f ? 0 : bitmap->getHeight() / 2);
        drawBackground(context, bounds(), offset, isTransparent());
    }
    markDrawn(shown);
}

void OnOffButton::onMouseDown(DrawContext* context, const Point&) {
    if (!isMouseEnabled() || !context) return;
    if (!(context->getMouseButtons() & kLButton)) return;
    // Any value whose integer part is 0 counts as off, so 0.3 becomes 1 on a click.
    const float current = getValue();
    setValue((current >= 1.0f || current <= -1.0f) ? 0.0f : 1.0f);
    idleEditor();
    notifyListener(context);
}

}  // namespace brindlet
