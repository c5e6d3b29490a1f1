// Cropping, pasting and stacking of generator images.
#include "tools/artwork/Image.h"

#include <algorithm>

namespace brindlet::artwork {

Image Image::crop(int left, int top, int w, int h) const {
    Image out(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int sx = std::clamp(left + x, 0, width - 1);
            int sy = std::clamp(top + y, 0, height - 1);
            out.set(x, y, at(sx, sy));
        }
    }
    return out;
}

void Image::paste(const Image& source, int left, int top, bool seeThrough) {
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            int dx = left + x;
            int dy = top + y;
            if (dx < 0 || dy < 0 || dx >= width || dy >= height) continue;
            std::uint32_t rgb = source.at(x, y);
            if (seeThrough && rgb == kSeeThrough) continue;
            set(dx, dy, rgb);
        }
    }
}

Image stackVertically(const std::vector<Image>& images) {
    int height = 0;
    for (const Image& image : images) height += image.height;
    Image out(images.empty() ? 0 : images.front().width, height);
    int top = 0;
    for (const Image& image : images) {
        out.paste(image, 0, top);
        top += image.height;
    }
    return out;
}

bool isNearSeeThrough(std::uint32_t rgb) {
    int r = (rgb >> 16) & 0xFF;
    int g = (rgb >> 8) & 0xFF;
    int b = rgb & 0xFF;
    return rgb != kSeeThrough && r <= 60 && g >= 220 && b >= 220;
}

}  // namespace brindlet::artwork
