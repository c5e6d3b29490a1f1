// A drawing context on a picture of its own, copied to another context in one block.
#pragma once

#include <cstdint>

#include "toolkit/draw/DrawContext.h"

namespace brindlet {

class OffscreenContext : public DrawContext {
public:
    // The picture has the pixel format of the frame's window and starts in `background`.
    OffscreenContext(Frame* frame, int32_t width, int32_t height, Color background = kBlackColor);
    ~OffscreenContext() override;

    // One opaque block copy from `source` in this picture to `destRect` (moved by dest's offset).
    void copyTo(DrawContext* dest, const Rect& destRect, const Point& source);

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    Color getBackgroundColor() const { return backgroundColor; }

private:
    int32_t height;
    int32_t width;
    bool ownsBitmap = true;
    Color backgroundColor;
};

}  // namespace brindlet
