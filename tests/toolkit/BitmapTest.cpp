// BMP decoding, malformed input, bitmap reference counts and resource numbers.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/bitmap/BmpDecoder.h"
#include "toolkit/draw/DrawContext.h"

namespace brindlet {
namespace {

Color gradient(int32_t x, int32_t y) {
    return Color{uint8_t(x * 40), uint8_t(y * 30), 7, 0};
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

void expectGradient(const DecodedBitmap& d, int32_t w, int32_t h) {
    ASSERT_EQ(d.width, w);
    ASSERT_EQ(d.height, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t* p = &d.rgb[(size_t(y) * w + x) * 3];
            const Color c = gradient(x, y);
            EXPECT_EQ(p[0], c.red);
            EXPECT_EQ(p[1], c.green);
            EXPECT_EQ(p[2], c.blue);
        }
    }
}

TEST(BmpDecoderTest, BottomUpTopDownAndRowPadding) {
    for (bool topDown : {false, true}) {
        // Width 5: 15 bytes of pixels and one byte of padding per row.
        const auto bytes = test::makeBmp(5, 3, gradient, topDown);
        DecodedBitmap d;
        ASSERT_TRUE(decodeBmp(bytes.data(), bytes.size(), d)) << topDown;
        expectGradient(d, 5, 3);
    }
}

TEST(BmpDecoderTest, PackedBitmapWithoutFileHeader) {
    const auto file = test::makeBmp(6, 4, gradient);
    const std::vector<uint8_t> packed(file.begin() + 14, file.end());
    DecodedBitmap d;
    ASSERT_TRUE(decodeBmp(packed.data(), packed.size(), d));
    expectGradient(d, 6, 4);
}

TEST(BmpDecoderTest, LastRowWithoutPaddingIsAccepted) {
    auto bytes = test::makeBmp(5, 2, gradient);
    bytes.pop_back();
    DecodedBitmap d;
    EXPECT_TRUE(decodeBmp(bytes.data(), bytes.size(), d));
}

TEST(BmpDecoderTest, MalformedInputGivesNothing) {
    const auto good = test::makeBmp(4, 4, gradient);
    auto variant = [&](size_t at, uint32_t value) {
        auto b = good;
        put32(b, at, value);
        return b;
    };
    auto depth = [&](uint16_t bits) {
        auto b = good;
        b[28] = uint8_t(bits);
        b[29] = uint8_t(bits >> 8);
        return b;
    };
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        {'B'},
        {'B', 'M', 0, 0},
        std::vector<uint8_t>(good.begin(), good.begin() + 40),  // header cut short
        std::vector<uint8_t>(good.begin(), good.end() - 5),     // pixels cut short
        depth(8),
        depth(32),
        variant(30, 1),            // compressed
        variant(18, 0),            // zero width
        variant(18, 0xFFFFFFFFu),  // negative width
        variant(18, 1000000),      // absurd width
        variant(22, 0x80000000u),  // most negative height
        variant(22, 0),
        variant(10, 0xFFFFFFF0u),  // pixel offset far beyond the data
        variant(10, 3),            // pixel offset inside the headers
        variant(14, 0xFFFF),       // info header larger than the file
        variant(14, 12),           // old-style header
        variant(46, 0x7FFFFFFF),   // absurd colour table
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        DecodedBitmap d;
        d.width = 9;
        EXPECT_FALSE(decodeBmp(bad[i].data(), bad[i].size(), d)) << i;
        EXPECT_EQ(d.width, 0) << i;
        EXPECT_TRUE(d.rgb.empty()) << i;

        Bitmap* b = new Bitmap(bad[i].data(), bad[i].size());
        EXPECT_EQ(b->getWidth(), 0) << i;
        EXPECT_EQ(b->getHeight(), 0) << i;
        EXPECT_FALSE(b->hasImage()) << i;
        b->release();
    }
    DecodedBitmap d;
    EXPECT_FALSE(decodeBmp(nullptr, 100, d));
}

class BitmapTest : public test::HeadlessTest {};

TEST_F(BitmapTest, ResourcesByLow16BitsAndMissingOnes) {
    headless::setBitmapResource(200, test::makeBmp(7, 3, gradient));
    Bitmap* direct = new Bitmap(200);
    Bitmap* high = new Bitmap(0x10000 + 200);
    Bitmap* missing = new Bitmap(201);
    EXPECT_EQ(direct->getWidth(), 7);
    EXPECT_EQ(direct->getHeight(), 3);
    EXPECT_EQ(high->getWidth(), 7);
    EXPECT_EQ(high->getResourceId(), 0x10000 + 200);
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_FALSE(missing->hasImage());

    NativeSurface* surface = headless::createSurface(10, 10);
    DrawContext context(nullptr, surface, nullptr);
    missing->draw(&context, Rect(0, 0, 10, 10), Point());  // nothing to draw
    missing->drawTransparent(&context, Rect(0, 0, 10, 10), Point());
    direct->draw(nullptr, Rect(0, 0, 10, 10), Point());
    direct->drawTransparent(nullptr, Rect(0, 0, 10, 10), Point());
    EXPECT_EQ(headless::getPixel(surface, 0, 0), kBlackColor);
    platform::destroySurface(surface);
    for (Bitmap* b : {direct, high, missing}) b->release();
}

TEST_F(BitmapTest, EditorBackgroundIsEmbedded) {
    Bitmap* background = new Bitmap(128);
    EXPECT_EQ(background->getWidth(), 465);
    EXPECT_EQ(background->getHeight(), 360);
    background->release();
}

TEST_F(BitmapTest, ReferenceCounting) {
    const auto bytes = test::makeBmp(2, 2, gradient);
    Bitmap* b = new Bitmap(bytes.data(), bytes.size());
    EXPECT_EQ(b->getResourceId(), -1);
    b->retain();
    EXPECT_EQ(b->getRefCount(), 2);
    EXPECT_EQ(b->release(), 1);
    EXPECT_EQ(b->release(), 0);  // destroyed here; the sanitizers watch for leaks and reuse
}

}  // namespace
}  // namespace brindlet
