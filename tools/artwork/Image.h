// A plain 24-bit picture (0xRRGGBB per pixel, rows top to bottom) that the generator composes and
// saves.
#pragma once

#include <cstdint>
#include <vector>

namespace brindlet::artwork {

// Pixels of exactly this colour are left out when the editor draws a bitmap transparently.
inline constexpr std::uint32_t kSeeThrough = 0x00FFFF;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Image() = default;
    Image(int w, int h, std::uint32_t fill = 0) : width(w), height(h), pixels(w * h, fill) {}

    std::uint32_t at(int x, int y) const { return pixels[y * width + x]; }
    void set(int x, int y, std::uint32_t rgb) { pixels[y * width + x] = rgb; }

    Image crop(int left, int top, int w, int h) const;
    // Copies `source` with its top-left at (left, top); pixels of kSeeThrough are skipped when
    // `seeThrough` is set, the way the editor draws transparent bitmaps.
    void paste(const Image& source, int left, int top, bool seeThrough = false);
    bool operator==(const Image& other) const = default;
};

// Images of equal width, one under the other, the first at the top.
Image stackVertically(const std::vector<Image>& images);

// True for colours close to the see-through colour without being it (blends that would show as
// a fringe instead of disappearing).
bool isNearSeeThrough(std::uint32_t rgb);

}  // namespace brindlet::artwork
