// Offscreen pictures for flicker-free composition, made in the window's pixel format.
#include "toolkit/draw/OffscreenContext.h"

#include <algorithm>

#include "toolkit/core/Frame.h"
#include "toolkit/platform/Platform.h"

namespace brindlet {

OffscreenContext::OffscreenContext(Frame* frame, int32_t width, int32_t height, Color background)
    : DrawContext(frame, nullptr, nullptr),
      height(std::max(height, 0)),
      width(std::max(width, 0)),
      backgroundColor(background) {
    NativeWindow* window = frame ? frame->getWindow() : nullptr;
    NativeSurface* windowSurface = platform::beginWindowDrawing(window);
    setSurface(platform::createOffscreenSurface(windowSurface, this->width, this->height));
    if (windowSurface) platform::endWindowDrawing(window, windowSurface);

    setFillColor(background);
    setFrameColor(background);
    const Rect whole(0, 0, this->width, this->height);
    fillRect(whole);
    drawRect(whole);
}

OffscreenContext::~OffscreenContext() {
    if (ownsBitmap) platform::destroySurface(getSurface());
}

void OffscreenContext::copyTo(DrawContext* dest, const Rect& destRect, const Point& source) {
    if (!dest) return;
    platform::copySurface(getSurface(), source, dest->getSurface(),
                          destRect.offsetBy(dest->getOffset()));
}

}  // namespace brindlet
