// The editor's bitmap files, compiled into the module so the Linux build needs no files at run
// time.
#pragma once

#include <cstddef>

namespace brindlet {

// One bitmap file, byte for byte as it lies in resources/ (a 24-bit BMP with its file header).
struct EmbeddedBitmap {
    int id;
    const unsigned char* data;
    std::size_t size;
};

// The bitmap with this resource number, or null when the module holds none.
const EmbeddedBitmap* findEmbeddedBitmap(int id);

// How many bitmaps the module holds, and the one at a position in ascending id order (null beyond).
std::size_t embeddedBitmapCount();
const EmbeddedBitmap* embeddedBitmapAt(std::size_t index);

}  // namespace brindlet
