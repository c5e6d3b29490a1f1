// BMP parsing that checks every size against the bytes at hand before reading them.
#include "toolkit/bitmap/BmpDecoder.h"

namespace brindlet {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCompressionNone = 0;

uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t readU16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

struct Layout {
    int32_t width = 0;
    int32_t height = 0;
    bool topDown = false;
    size_t pixelOffset = 0;  // from the start of the info header
};

// Reads the info header at `header` (with `available` bytes from there on).
bool readInfoHeader(const uint8_t* header, size_t available, Layout& layout) {
    if (available < kInfoHeaderSize) return false;
    const uint32_t headerSize = readU32(header);
    if (headerSize < kInfoHeaderSize || headerSize > available) return false;
    const int32_t width = static_cast<int32_t>(readU32(header + 4));
    const int32_t height = static_cast<int32_t>(readU32(header + 8));
    if (readU16(header + 12) != 1 || readU16(header + 14) != 24) return false;
    if (readU32(header + 16) != kCompressionNone) return false;
    if (width <= 0 || width > kMaxBitmapSide) return false;
    if (height == 0 || height < -kMaxBitmapSide || height > kMaxBitmapSide) return false;
    const uint32_t colorsUsed = readU32(header + 32);
    if (colorsUsed > 256) return false;
    layout.width = width;
    layout.height = height < 0 ? -height : height;
    layout.topDown = height < 0;
    layout.pixelOffset = headerSize + size_t(colorsUsed) * 4;
    return true;
}

bool copyRows(const uint8_t* pixels, size_t available, const Layout& layout, DecodedBitmap& out) {
    const size_t rowBytes = size_t(layout.width) * 3;
    const size_t stride = (rowBytes + 3) & ~size_t(3);
    // The last row may come without its padding.
    if (available < stride * size_t(layout.height - 1) + rowBytes) return false;
    std::vector<uint8_t> rgb;
    rgb.resize(rowBytes * size_t(layout.height));
    for (int32_t row = 0; row < layout.height; ++row) {
        const int32_t sourceRow = layout.topDown ? row : layout.height - 1 - row;
        const uint8_t* src = pixels + stride * size_t(sourceRow);
        uint8_t* dst = rgb.data() + rowBytes * size_t(row);
        for (int32_t x = 0; x < layout.width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    out.width = layout.width;
    out.height = layout.height;
    out.rgb = std::move(rgb);
    return true;
}

}  // namespace

bool decodeBmp(const uint8_t* data, size_t size, DecodedBitmap& out) {
    out = DecodedBitmap();
    if (!data) return false;
    const uint8_t* header = data;
    size_t headerAvailable = size;
    size_t fileOffset = 0;
    const bool isFile = size >= 2 && data[0] == 'B' && data[1] == 'M';
    if (isFile) {
        if (size < kFileHeaderSize) return false;
        fileOffset = readU32(data + 10);
        header = data + kFileHeaderSize;
        headerAvailable = size - kFileHeaderSize;
    }
    Layout layout;
    if (!readInfoHeader(header, headerAvailable, layout)) return false;
    const size_t pixelStart = isFile ? size_t(fileOffset) : layout.pixelOffset;
    if (isFile && pixelStart < kFileHeaderSize + kInfoHeaderSize) return false;
    if (pixelStart >= size) return false;
    return copyRows(data + pixelStart, size - pixelStart, layout, out);
}

}  // namespace brindlet
