// Bitmaps decoded from module resources or memory and drawn through the platform's images.
#include "toolkit/bitmap/Bitmap.h"

#include "toolkit/bitmap/BmpDecoder.h"
#include "toolkit/draw/DrawContext.h"
#include "toolkit/platform/Platform.h"

namespace brindlet {

Bitmap::Bitmap(int32_t resourceId) : resourceId(resourceId) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (platform::findBitmapResource(resourceId & 0xFFFF, &data, &size)) load(data, size);
}

Bitmap::Bitmap(const uint8_t* bmpData, size_t size) : resourceId(-1) {
    load(bmpData, size);
}

Bitmap::~Bitmap() {
    platform::destroyImage(image);
}

void Bitmap::load(const uint8_t* data, size_t size) {
    DecodedBitmap decoded;
    if (!decodeBmp(data, size, decoded)) return;
    image = platform::createImage(decoded.rgb.data(), decoded.width, decoded.height);
    if (!image) return;
    width = decoded.width;
    height = decoded.height;
}

void Bitmap::retain() {
    ++refCount;
}

int32_t Bitmap::release() {
    if (refCount <= 0) return 0;
    if (--refCount > 0) return refCount;
    delete this;
    return 0;
}

void Bitmap::draw(DrawContext* context, const Rect& dest, const Point& source) {
    if (!image || !context) return;
    platform::drawImage(image, source, context->getSurface(), dest.offsetBy(context->getOffset()));
}

void Bitmap::drawTransparent(DrawContext* context, const Rect& dest, const Point& source) {
    if (!image || !context) return;
    platform::drawImageTransparent(image, source, context->getSurface(),
                                   dest.offsetBy(context->getOffset()), transparentColor);
}

}  // namespace brindlet
