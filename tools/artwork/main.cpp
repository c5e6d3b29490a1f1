// brindlet-artwork: draws the editor's bitmaps and writes them as 24-bit BMP files.
// Usage: brindlet-artwork OUTPUT_DIR   (writes OUTPUT_DIR/bmpNNN.bmp for every id)
#include <cstdio>
#include <string>

#include "tools/artwork/Artwork.h"
#include "tools/artwork/BmpFile.h"
#include "tools/artwork/PanelLayout.h"

using namespace brindlet::artwork;

namespace {

bool sizeMatchesTable(int id, const Image& image) {
    for (const BitmapSize& entry : kBitmapSizes) {
        if (entry.id == id) return entry.width == image.width && entry.height == image.height;
    }
    return false;
}

bool hasSeeThroughFringe(const Image& image) {
    for (std::uint32_t rgb : image.pixels) {
        if (isNearSeeThrough(rgb)) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    auto bitmaps = drawAllBitmaps();
    if (bitmaps.size() != kBitmapSizes.size()) {
        std::fprintf(stderr, "brindlet-artwork: drew %zu bitmaps, expected %zu\n", bitmaps.size(),
                     kBitmapSizes.size());
        return 1;
    }
    for (const auto& [id, image] : bitmaps) {
        if (!sizeMatchesTable(id, image) || hasSeeThroughFringe(image)) {
            std::fprintf(stderr, "brindlet-artwork: bitmap %d has a wrong size or a cyan fringe\n",
                         id);
            return 1;
        }
        std::string path = dir + "/bmp" + std::to_string(id) + ".bmp";
        if (!writeFile(path, encodeBmp(image))) {
            std::fprintf(stderr, "brindlet-artwork: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    std::printf("brindlet-artwork: wrote %zu bitmaps to %s\n", bitmaps.size(), dir.c_str());
    return 0;
}
