// Shared helpers of the toolkit tests.
#include "tests/toolkit/ToolkitTestSupport.h"

namespace brindlet::test {

namespace {
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

// The font caches live for the whole process; freeing them at the end keeps leak checks clean.
class FontCacheRelease : public ::testing::Environment {
public:
    void TearDown() override { headless::releaseFontCaches(); }
};
[[maybe_unused]] ::testing::Environment* const fontCacheRelease =
    ::testing::AddGlobalTestEnvironment(new FontCacheRelease);
}  // namespace

std::vector<uint8_t> makeBmp(int32_t width, int32_t height,
                             const std::function<Color(int32_t, int32_t)>& pixel, bool topDown) {
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    const size_t pixelBytes = stride * size_t(height);
    std::vector<uint8_t> b(54 + pixelBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, uint32_t(b.size()));
    put32(b, 10, 54);
    put32(b, 14, 40);
    put32(b, 18, uint32_t(width));
    put32(b, 22, uint32_t(topDown ? -height : height));
    put16(b, 26, 1);
    put16(b, 28, 24);
    put32(b, 34, uint32_t(pixelBytes));
    for (int32_t y = 0; y < height; ++y) {
        const int32_t row = topDown ? y : height - 1 - y;
        for (int32_t x = 0; x < width; ++x) {
            const Color c = pixel(x, y);
            uint8_t* p = &b[54 + stride * size_t(row) + size_t(x) * 3];
            p[0] = c.blue;
            p[1] = c.green;
            p[2] = c.red;
        }
    }
    return b;
}

std::string picturePath(const std::string& name) {
    return std::string(BRINDLET_BUILD_DIR) + "/pictures/toolkit/" + name + ".png";
}

std::vector<headless::InputStep> dragSteps(const std::vector<Point>& points, uint32_t physical) {
    std::vector<headless::InputStep> steps;
    for (const Point& p : points) steps.push_back({physical, p});
    return steps;
}

}  // namespace brindlet::test
