// The embedded editor bitmaps: present, well-formed 24-bit BMPs of the right sizes, with clean
// see-through parts, distinct button states, and control images that line up with the panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "resources/EmbeddedBitmaps.h"

namespace brindlet {
namespace {

constexpr std::uint32_t kCyan = 0x00FFFF;

struct Expected {
    int id, width, height;
};

// The editor's bitmap table, stacked images included: {first id, last id, width, height}.
std::vector<Expected> expectedBitmaps() {
    const int ranges[][4] = {{128, 128, 465, 360}, {129, 136, 35, 70},  {138, 138, 57, 30},
                             {139, 139, 56, 408},  {140, 147, 47, 26},  {148, 149, 19, 38},
                             {150, 151, 121, 21},  {152, 161, 21, 121}, {162, 165, 8, 101},
                             {166, 170, 21, 21}};
    std::vector<Expected> table;
    for (const auto& r : ranges) {
        for (int id = r[0]; id <= r[1]; ++id) table.push_back({id, r[2], r[3]});
    }
    return table;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;  // 0xRRGGBB, top row first
    std::uint32_t at(int x, int y) const { return rgb[y * width + x]; }
    bool sameArea(int x0, int y0, const Picture& other, int ox, int oy, int w, int h) const {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (at(x0 + x, y0 + y) != other.at(ox + x, oy + y)) return false;
            }
        }
        return true;
    }
};

std::uint32_t le(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// Decodes bitmap `id`, failing the test on anything but an uncompressed bottom-up 24-bit BMP.
Picture load(int id) {
    const EmbeddedBitmap* bitmap = findEmbeddedBitmap(id);
    if (bitmap == nullptr || bitmap->size < 54) {
        ADD_FAILURE() << "bitmap " << id << " is not embedded or too short";
        return {};
    }
    const unsigned char* d = bitmap->data;
    Picture p;
    p.width = static_cast<std::int32_t>(le(d + 18, 4));
    p.height = static_cast<std::int32_t>(le(d + 22, 4));
    const std::size_t offset = le(d + 10, 4);
    const std::size_t stride = (static_cast<std::size_t>(p.width) * 3 + 3) / 4 * 4;
    const bool valid = d[0] == 'B' && d[1] == 'M' && le(d + 2, 4) == bitmap->size &&
                       le(d + 14, 4) == 40 && le(d + 26, 2) == 1 && le(d + 28, 2) == 24 &&
                       le(d + 30, 4) == 0 && p.height > 0 &&
                       offset + stride * p.height == bitmap->size;
    if (!valid) {
        ADD_FAILURE() << "bitmap " << id << " is not a plain bottom-up 24-bit BMP";
        return {};
    }
    for (int y = 0; y < p.height; ++y) {
        const unsigned char* row = d + offset + stride * (p.height - 1 - y);
        for (int x = 0; x < p.width; ++x)
            p.rgb.push_back((row[x * 3 + 2] << 16) | (row[x * 3 + 1] << 8) | row[x * 3]);
    }
    return p;
}

TEST(EmbeddedBitmaps, EveryTableBitmapIsPresentAtItsSizeWithoutNearCyan) {
    const auto table = expectedBitmaps();
    EXPECT_EQ(embeddedBitmapCount(), table.size());
    for (const Expected& e : table) {
        SCOPED_TRACE(e.id);
        const Picture p = load(e.id);
        EXPECT_EQ(p.width, e.width);
        EXPECT_EQ(p.height, e.height);
        int nearCyan = 0;  // blends with the see-through colour show as a fringe
        for (std::uint32_t c : p.rgb)
            nearCyan +=
                c != kCyan && (c & 0xFF) >= 240 && ((c >> 8) & 0xFF) >= 240 && c >> 16 <= 40;
        EXPECT_EQ(nearCyan, 0);
    }
    for (int id : {-1, 0, 127, 137, 171, 128 + 65536})
        EXPECT_EQ(findEmbeddedBitmap(id), nullptr) << id;
    EXPECT_EQ(embeddedBitmapAt(embeddedBitmapCount()), nullptr);
    for (std::size_t i = 1; i < embeddedBitmapCount(); ++i)
        EXPECT_LT(embeddedBitmapAt(i - 1)->id, embeddedBitmapAt(i)->id);
}

TEST(EmbeddedBitmaps, SeeThroughOnlyWhereTheControlIsDrawnTransparently) {
    for (int id = 166; id <= 170; ++id) {  // handles: a see-through square round an opaque cap
        const Picture p = load(id);
        ASSERT_EQ(p.rgb.size(), 21u * 21u) << id;
        EXPECT_EQ(p.at(0, 0), kCyan) << id;
        EXPECT_EQ(p.at(20, 20), kCyan) << id;
        EXPECT_NE(p.at(10, 10), kCyan) << id;
        EXPECT_NE(p.at(5, 10), kCyan) << id;
    }
    for (int id : {128, 138, 139, 150, 151, 152, 155, 161, 162, 163, 164, 165}) {
        const Picture p = load(id);
        EXPECT_EQ(std::count(p.rgb.begin(), p.rgb.end(), kCyan), 0) << id;
    }
}

// Buttons are drawn transparently: rounded corners show the panel, and pressing changes the face.
TEST(EmbeddedBitmaps, ButtonsHaveDistinctReleasedAndPressedImages) {
    std::vector<int> buttons = {148, 149};
    for (int id = 129; id <= 136; ++id) buttons.push_back(id);
    for (int id = 140; id <= 147; ++id) buttons.push_back(id);
    for (int id : buttons) {
        SCOPED_TRACE(id);
        const Picture p = load(id);
        ASSERT_GT(p.height, 0);
        const int half = p.height / 2;
        EXPECT_FALSE(p.sameArea(0, 0, p, 0, half, p.width, half));
        for (int top : {0, half}) {
            EXPECT_EQ(p.at(0, top), kCyan);
            EXPECT_EQ(p.at(p.width - 1, top), kCyan);
            EXPECT_NE(p.at(p.width / 2, top + half / 2), kCyan);
        }
    }
    for (int id = 129; id < 136; ++id) EXPECT_NE(load(id).rgb, load(id + 1).rgb) << id;

    const Picture toggle = load(138);
    ASSERT_EQ(toggle.height, 30);
    EXPECT_FALSE(toggle.sameArea(0, 0, toggle, 0, 15, 57, 15));
    const Picture mode = load(139);
    ASSERT_EQ(mode.height, 408);
    for (int a = 0; a < 4; ++a) {
        for (int b = a + 1; b < 4; ++b)
            EXPECT_FALSE(mode.sameArea(0, a * 102, mode, 0, b * 102, 56, 102)) << a << " " << b;
    }
}

// Sliders paint their whole track over the panel, so a track must be the panel's own pixels
// there; otherwise a seam appears round every slider.
TEST(EmbeddedBitmaps, TracksMatchThePanelUnderTheirSliders) {
    const int places[][3] = {{152, 150, 34},  {153, 287, 34},  {150, 169, 14},  {151, 169, 152},
                             {154, 23, 192},  {155, 54, 192},  {156, 108, 192}, {158, 282, 192},
                             {157, 158, 192}, {159, 331, 192}, {160, 386, 192}, {161, 418, 192}};
    const Picture panel = load(128);
    ASSERT_EQ(panel.width, 465);
    for (const auto& [id, left, top] : places) {
        const Picture track = load(id);
        ASSERT_GT(track.width, 0);
        EXPECT_TRUE(track.sameArea(0, 0, panel, left, top, track.width, track.height)) << id;
    }
}

// The meter splits its bar at row trunc(k / 14 * 101) for k unlit segments; each split must fall
// on a segment boundary, so the row above every split is a dark gap in both images.
TEST(EmbeddedBitmaps, MeterSegmentsEndWhereTheMeterSplitsTheBar) {
    for (int pair : {162, 164}) {
        const Picture lit = load(pair), unlit = load(pair + 1);
        ASSERT_EQ(lit.height, 101);
        ASSERT_EQ(unlit.height, 101);
        for (int k = 1; k <= 14; ++k) {
            const int split = static_cast<int>(k / 14.0 * 101);
            EXPECT_EQ(lit.at(4, split - 1), unlit.at(4, split - 1)) << pair << " above " << split;
            EXPECT_NE(lit.at(4, split - 3), unlit.at(4, split - 3)) << pair << " segment " << k;
        }
    }
}

// The Windows build takes the same files through the resource script.
TEST(EmbeddedBitmaps, ResourceScriptListsEveryBitmapAndTheVersion) {
    std::ifstream in(std::string(BRINDLET_SOURCE_DIR) + "/resources/brindlet.rc");
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    const std::string rc = text.str();
    std::vector<std::string> lines = {"FILEVERSION 1,1,0,0", "PRODUCTVERSION 1,1,0,0",
                                      "\"FileDescription\", \"VST Plug-In\\0\""};
    for (const Expected& e : expectedBitmaps())
        lines.push_back(std::to_string(e.id) + " BITMAP \"bmp" + std::to_string(e.id) + ".bmp\"");
    for (const std::string& line : lines) EXPECT_NE(rc.find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace brindlet
