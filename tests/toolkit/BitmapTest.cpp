// BMP decoding, malformed input, bitmap reference counts and resource numbers.
#include <gtest/gtest.h>

#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/bitmap/BmpDecoder.h"
#include "toolkit/draw/DrawContext.h"

namespace brindlet {
namespace {

using Bytes = std::vector<uint8_t>;
using test::HeadlessTest;

Color gradient(int32_t x, int32_t y) {
    return Color{uint8_t(x * 40), uint8_t(y * 30), 7, 0};
}

TEST(BmpDecoderTest, RowOrdersPaddingAndPackedBitmaps) {
    const Bytes file = test::makeBmp(5, 3, gradient);  // 15 bytes of pixels, 1 of padding per row
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"bottom-up", file},
        {"top-down", test::makeBmp(5, 3, gradient, true)},
        {"packed, without the file header", Bytes(file.begin() + 14, file.end())},
        {"last row without its padding", Bytes(file.begin(), file.end() - 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedBitmap d;
        ASSERT_TRUE(decodeBmp(c.bytes.data(), c.bytes.size(), d));
        ASSERT_EQ(d.width, 5);
        ASSERT_EQ(d.height, 3);
        for (int32_t i = 0; i < 15; ++i) {
            const Color g = gradient(i % 5, i / 5);
            EXPECT_EQ((Bytes{d.rgb[i * 3], d.rgb[i * 3 + 1], d.rgb[i * 3 + 2]}),
                      (Bytes{g.red, g.green, g.blue}))
                << i;
        }
    }
}

TEST(BmpDecoderTest, MalformedInputGivesAZeroSizedBitmap) {
    const Bytes good = test::makeBmp(4, 4, gradient);
    auto with = [&](size_t at, uint32_t value, int bytes = 4) {
        Bytes b = good;
        for (int i = 0; i < bytes; ++i) b[at + i] = uint8_t(value >> (8 * i));
        return b;
    };
    const Bytes bad[] = {
        {},
        {'B'},
        {'B', 'M', 0, 0},
        Bytes(good.begin(), good.begin() + 40),  // header cut short
        Bytes(good.begin(), good.end() - 5),     // pixels cut short
        with(28, 8, 2),                          // 8 bits per pixel
        with(28, 32, 2),
        with(30, 1),            // compressed
        with(18, 0),            // zero width
        with(18, 0xFFFFFFFFu),  // negative width
        with(18, 1000000),      // absurd width
        with(22, 0x80000000u),  // most negative height
        with(22, 0),
        with(10, 0xFFFFFFF0u),  // pixel offset far beyond the data
        with(10, 3),            // pixel offset inside the headers
        with(14, 0xFFFF),       // info header larger than the file
        with(14, 12),           // old-style header
        with(46, 0x7FFFFFFF),   // absurd colour table
    };
    for (size_t i = 0; i < std::size(bad); ++i) {
        DecodedBitmap d;
        d.width = 9;
        EXPECT_FALSE(decodeBmp(bad[i].data(), bad[i].size(), d)) << i;
        EXPECT_EQ(d.width, 0) << i;
        EXPECT_TRUE(d.rgb.empty()) << i;
        Bitmap* b = test::makeBitmap(bad[i]);
        EXPECT_EQ(b->getWidth(), 0) << i;
        EXPECT_EQ(b->getHeight(), 0) << i;
        EXPECT_FALSE(b->hasImage()) << i;
        b->release();
    }
    DecodedBitmap d;
    EXPECT_FALSE(decodeBmp(nullptr, 100, d));
}

TEST_F(HeadlessTest, BitmapResourcesByLow16BitsAndMissingOnes) {
    headless::setBitmapResource(200, test::makeBmp(7, 3, gradient));
    Bitmap* direct = new Bitmap(200);
    Bitmap* high = new Bitmap(0x10000 + 200);
    Bitmap* missing = new Bitmap(201);
    Bitmap* embedded = new Bitmap(128);  // the editor background, from the module itself
    EXPECT_EQ(direct->getWidth(), 7);
    EXPECT_EQ(direct->getHeight(), 3);
    EXPECT_EQ(high->getWidth(), 7);
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_FALSE(missing->hasImage());
    EXPECT_EQ(embedded->getWidth(), 465);
    EXPECT_EQ(embedded->getHeight(), 360);

    NativeSurface* surface = headless::createSurface(10, 10);
    DrawContext context(nullptr, surface, nullptr);
    missing->draw(&context, Rect(0, 0, 10, 10), Point());  // nothing to draw
    missing->drawTransparent(&context, Rect(0, 0, 10, 10), Point());
    direct->draw(nullptr, Rect(0, 0, 10, 10), Point());
    direct->drawTransparent(nullptr, Rect(0, 0, 10, 10), Point());
    EXPECT_EQ(headless::getPixel(surface, 0, 0), kBlackColor);
    platform::destroySurface(surface);

    for (Bitmap* b : {direct, high, missing, embedded}) EXPECT_EQ(b->release(), 0);
}

}  // namespace
}  // namespace brindlet
