// Shared helpers of the toolkit tests.
#include "tests/toolkit/ToolkitTestSupport.h"

namespace brindlet::test {

std::vector<uint8_t> makeBmp(int32_t width, int32_t height,
                             const std::function<Color(int32_t, int32_t)>& pixel, bool topDown) {
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> b(54 + stride * size_t(height), 0);
    const auto put = [&b](size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b[at + i] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, uint32_t(b.size()), 4);
    put(10, 54, 4);  // pixel offset
    put(14, 40, 4);  // info header size
    put(18, uint32_t(width), 4);
    put(22, uint32_t(topDown ? -height : height), 4);
    put(26, 1, 2);   // planes
    put(28, 24, 2);  // bits per pixel
    put(34, uint32_t(b.size() - 54), 4);
    for (int32_t y = 0; y < height; ++y) {
        const size_t row = size_t(topDown ? y : height - 1 - y);
        for (int32_t x = 0; x < width; ++x) {
            const Color c = pixel(x, y);
            put(54 + stride * row + size_t(x) * 3, uint32_t(c.blue | c.green << 8 | c.red << 16),
                3);
        }
    }
    return b;
}

}  // namespace brindlet::test
