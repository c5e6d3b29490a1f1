// Decodes 24-bit uncompressed BMP files and packed device-independent bitmaps into top-down RGB
// rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brindlet {

struct DecodedBitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;  // height rows of width pixels, top row first, red, green, blue
};

// Largest width or height accepted; anything beyond is treated as malformed.
inline constexpr int32_t kMaxBitmapSide = 16384;

// True and `out` filled when `data` holds a well-formed 24-bit uncompressed bitmap, either a BMP
// file ("BM" header) or a packed bitmap starting with its info header. Bottom-up and top-down rows
// are both accepted. On false `out` is left empty.
bool decodeBmp(const uint8_t* data, size_t size, DecodedBitmap& out);

}  // namespace brindlet
