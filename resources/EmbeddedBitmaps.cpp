// Looks up the embedded bitmap files by resource id.
#include "resources/EmbeddedBitmaps.h"

#include <algorithm>

namespace brindlet {
namespace embedded {
extern const EmbeddedBitmap kTable[];
extern const std::size_t kTableSize;
}  // namespace embedded

const EmbeddedBitmap* findEmbeddedBitmap(int id) {
    const EmbeddedBitmap* end = embedded::kTable + embedded::kTableSize;
    const EmbeddedBitmap* found = std::lower_bound(
        embedded::kTable, end, id, [](const EmbeddedBitmap& b, int key) { return b.id < key; });
    return found != end && found->id == id ? found : nullptr;
}

std::size_t embeddedBitmapCount() {
    return embedded::kTableSize;
}

const EmbeddedBitmap* embeddedBitmapAt(std::size_t index) {
    return index < embedded::kTableSize ? &embedded::kTable[index] : nullptr;
}

}  // namespace brindlet
