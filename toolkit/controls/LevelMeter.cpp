// Level meter drawing: the lit part to the nearest segment, with a fall-off that keeps it dirty.
#include "toolkit/controls/LevelMeter.h"

#include <algorithm>

#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/core/SafeConvert.h"

namespace brindlet {

LevelMeter::LevelMeter(const Rect& bounds, Bitmap* onBitmap, Bitmap* offBitmap, int32_t segments,
                       int32_t style)
    : Control(bounds, nullptr, 0, nullptr),
      onBitmap(onBitmap),
      offBitmap(offBitmap),
      // A meter without segments would divide by zero; it shows one segment instead.
      segments(std::max(segments, 1)),
      style(style),
      onRect(bounds.normalized()),
      offRect(bounds.normalized()) {
    if (onBitmap) onBitmap->retain();
    if (offBitmap) offBitmap->retain();
}

LevelMeter::~LevelMeter() {
    if (onBitmap) onBitmap->release();
    if (offBitmap) offBitmap->release();
}

void LevelMeter::setDirty(bool flag) {
    View::setDirty(flag);
}
void LevelMeter::setDecreaseStep(float step) {
    decreaseStep = step;
}

float LevelMeter::level() const {
    const float v = getValue();
    if (!(v > getMin())) return getMin();
    return std::min(v, getMax());
}

bool LevelMeter::isDirty() const {
    return level() != oldValue || View::isDirty();
}

void LevelMeter::draw(DrawContext* context) {
    if (!onBitmap) return;
    const float target = level();
    float shown = oldValue - decreaseStep;
    // Rises at once; a fall-off that is not a number restarts from the level.
    if (!(shown >= target)) shown = target;
    shown = std::min(shown, getMax());
    oldValue = shown;

    const Rect r = bounds().normalized();
    Point offSource(0, 0);
    Point onSource(0, 0);
    if (style & kMeterHorizontal) {
        const int32_t lit = truncToInt(static_cast<float>(segments) * shown + 0.5f);
        const int32_t split = truncToInt(static_cast<float>(lit) / static_cast<float>(segments) *
                                         static_cast<float>(onBitmap->getWidth()));
        onRect.right = offRect.left = r.left + split;
        offSource.h = split;
    } else {
        const int32_t unlit = truncToInt((getMax() - shown) * static_cast<float>(segments) + 0.5f);
        const int32_t split = truncToInt(static_cast<float>(unlit) / static_cast<float>(segments) *
                                         static_cast<float>(onBitmap->getHeight()));
        offRect.bottom = onRect.top = r.top + split;
        onSource.v = split;
    }
    const bool transparent = isTransparent();
    if (offBitmap) {
        if (transparent) {
            offBitmap->drawTransparent(context, offRect, offSource);
        } else {
            offBitmap->draw(context, offRect, offSource);
        }
    }
    if (transparent) {
        onBitmap->drawTransparent(context, onRect, onSource);
    } else {
        onBitmap->draw(context, onRect, onSource);
    }
}

}  // namespace brindlet
