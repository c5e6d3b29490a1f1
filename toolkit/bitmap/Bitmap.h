// A shared, reference-counted picture loaded by resource number, drawn opaquely or with cyan left
// out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "toolkit/core/Color.h"
#include "toolkit/core/Geometry.h"

namespace brindlet {

class DrawContext;
struct NativeImage;

class Bitmap {
public:
    // Loads resource number resourceId (its low 16 bits). A missing or malformed resource gives a
    // valid bitmap of 0 x 0 without an image.
    explicit Bitmap(int32_t resourceId);
    // A bitmap from BMP bytes in memory; resource number -1.
    Bitmap(const uint8_t* bmpData, size_t size);
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    void retain();
    // Destroys the bitmap when the count reaches 0; does nothing at 0. Returns the new count.
    int32_t release();
    int32_t getRefCount() const { return refCount; }

    int32_t getResourceId() const { return resourceId; }
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    bool hasImage() const { return image != nullptr; }
    Color getTransparentColor() const { return transparentColor; }

    // Opaque copy of dest's size from `source` in the bitmap to `dest` (moved by the context's
    // offset).
    void draw(DrawContext* context, const Rect& dest, const Point& source);
    // As draw, with pixels of exactly the transparent colour left out.
    void drawTransparent(DrawContext* context, const Rect& dest, const Point& source);

private:
    ~Bitmap();
    void load(const uint8_t* data, size_t size);

    int32_t resourceId;
    int32_t refCount = 1;
    int32_t width = 0;
    int32_t height = 0;
    Color transparentColor = kTransparentColor;
    NativeImage* image = nullptr;
};

}  // namespace brindlet
