// Colours as four bytes; only red, green and blue ever reach drawing.
#pragma once

#include <cstdint>

namespace brindlet {

struct Color {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;

    constexpr bool operator==(const Color&) const = default;
    constexpr bool sameRgb(const Color& o) const {
        return red == o.red && green == o.green && blue == o.blue;
    }
    // The platform colour value: red + 256 * green + 65536 * blue.
    constexpr uint32_t packed() const {
        return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16;
    }
};

inline constexpr Color kBlackColor{0, 0, 0, 0};
inline constexpr Color kWhiteColor{255, 255, 255, 0};
inline constexpr Color kRedColor{255, 0, 0, 0};
// Pixels of exactly this colour are left out by transparent bitmap drawing.
inline constexpr Color kTransparentColor{0, 255, 255, 0};

}  // namespace brindlet
