// The embedded editor bitmaps: present, well-formed 24-bit BMPs of the right sizes, with clean
// see-through parts, distinct button states, and control images that line up with the panel.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <optional>
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

// The editor's bitmap table, stacked images included.
std::vector<Expected> expectedBitmaps() {
    std::vector<Expected> table = {{128, 465, 360}, {138, 57, 30}, {139, 56, 408}};
    for (int id = 129; id <= 136; ++id) table.push_back({id, 35, 70});
    for (int id = 140; id <= 147; ++id) table.push_back({id, 47, 26});
    for (int id = 148; id <= 149; ++id) table.push_back({id, 19, 38});
    for (int id = 150; id <= 151; ++id) table.push_back({id, 121, 21});
    for (int id = 152; id <= 161; ++id) table.push_back({id, 21, 121});
    for (int id = 162; id <= 165; ++id) table.push_back({id, 8, 101});
    for (int id = 166; id <= 170; ++id) table.push_back({id, 21, 21});
    return table;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;  // top row first
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

// Decodes the file, failing the test on anything but an uncompressed bottom-up 24-bit BMP.
std::optional<Picture> decode(const EmbeddedBitmap& bitmap) {
    const unsigned char* d = bitmap.data;
    EXPECT_GE(bitmap.size, 54u) << bitmap.id;
    if (bitmap.size < 54) return std::nullopt;
    EXPECT_EQ(d[0], 'B');
    EXPECT_EQ(d[1], 'M');
    EXPECT_EQ(le(d + 2, 4), bitmap.size) << "file size field of " << bitmap.id;
    EXPECT_EQ(le(d + 14, 4), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(le(d + 26, 2), 1u) << "planes";
    EXPECT_EQ(le(d + 28, 2), 24u) << "bits per pixel";
    EXPECT_EQ(le(d + 30, 4), 0u) << "uncompressed";
    Picture p;
    p.width = static_cast<std::int32_t>(le(d + 18, 4));
    p.height = static_cast<std::int32_t>(le(d + 22, 4));
    EXPECT_GT(p.height, 0) << "bottom-up rows";
    std::size_t offset = le(d + 10, 4);
    std::size_t stride = (static_cast<std::size_t>(p.width) * 3 + 3) / 4 * 4;
    EXPECT_EQ(offset + stride * p.height, bitmap.size) << bitmap.id;
    if (::testing::Test::HasFailure() || offset + stride * p.height > bitmap.size)
        return std::nullopt;
    for (int y = 0; y < p.height; ++y) {
        const unsigned char* row = d + offset + stride * (p.height - 1 - y);
        for (int x = 0; x < p.width; ++x) {
            const unsigned char* px = row + x * 3;
            p.rgb.push_back((px[2] << 16) | (px[1] << 8) | px[0]);
        }
    }
    return p;
}

Picture load(int id) {
    const EmbeddedBitmap* bitmap = findEmbeddedBitmap(id);
    if (bitmap == nullptr) {
        ADD_FAILURE() << "bitmap " << id << " is not embedded";
        return {};
    }
    return decode(*bitmap).value_or(Picture{});
}

bool contains(const Picture& p, std::uint32_t colour) {
    for (std::uint32_t c : p.rgb) {
        if (c == colour) return true;
    }
    return false;
}

int countNearCyan(const Picture& p) {
    int count = 0;
    for (std::uint32_t c : p.rgb) {
        int r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
        count += c != kCyan && g >= 240 && b >= 240 && r <= 40;
    }
    return count;
}

TEST(EmbeddedBitmaps, EveryTableBitmapIsAValidBmpOfItsSize) {
    auto table = expectedBitmaps();
    EXPECT_EQ(embeddedBitmapCount(), table.size());
    for (const Expected& e : table) {
        SCOPED_TRACE(e.id);
        const EmbeddedBitmap* bitmap = findEmbeddedBitmap(e.id);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->id, e.id);
        auto picture = decode(*bitmap);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, e.width);
        EXPECT_EQ(picture->height, e.height);
        EXPECT_EQ(countNearCyan(*picture), 0) << "blends with the see-through colour";
    }
}

TEST(EmbeddedBitmaps, IdsOutsideTheTableAreAbsent) {
    for (int id : {-1, 0, 127, 137, 171, 128 + 65536})
        EXPECT_EQ(findEmbeddedBitmap(id), nullptr) << id;
    EXPECT_EQ(embeddedBitmapAt(embeddedBitmapCount()), nullptr);
    for (std::size_t i = 1; i < embeddedBitmapCount(); ++i) {
        EXPECT_LT(embeddedBitmapAt(i - 1)->id, embeddedBitmapAt(i)->id);
    }
}

TEST(EmbeddedBitmaps, HandlesAreSeeThroughAroundAnOpaqueCap) {
    for (int id = 166; id <= 170; ++id) {
        SCOPED_TRACE(id);
        Picture p = load(id);
        ASSERT_EQ(p.rgb.size(), 21u * 21u);
        EXPECT_EQ(p.at(0, 0), kCyan);
        EXPECT_EQ(p.at(20, 20), kCyan);
        EXPECT_NE(p.at(10, 10), kCyan) << "the cap's centre hides the track";
        EXPECT_NE(p.at(5, 10), kCyan);
    }
}

TEST(EmbeddedBitmaps, OpaqueImagesHaveNoSeeThroughPixels) {
    for (int id : {128, 138, 139, 150, 151, 152, 155, 161, 162, 163, 164, 165}) {
        EXPECT_FALSE(contains(load(id), kCyan)) << id;
    }
}

// Buttons are drawn transparently: rounded corners show the panel, and pressing changes the face.
TEST(EmbeddedBitmaps, ButtonsHaveDistinctReleasedAndPressedImages) {
    std::vector<int> buttons = {148, 149};
    for (int id = 129; id <= 136; ++id) buttons.push_back(id);
    for (int id = 140; id <= 147; ++id) buttons.push_back(id);
    for (int id : buttons) {
        SCOPED_TRACE(id);
        Picture p = load(id);
        ASSERT_GT(p.height, 0);
        int half = p.height / 2;
        EXPECT_FALSE(p.sameArea(0, 0, p, 0, half, p.width, half));
        for (int top : {0, half}) {
            EXPECT_EQ(p.at(0, top), kCyan);
            EXPECT_EQ(p.at(p.width - 1, top), kCyan);
            EXPECT_NE(p.at(p.width / 2, top + half / 2), kCyan);
        }
    }
}

TEST(EmbeddedBitmaps, PresetButtonsDifferFromEachOther) {
    for (int id = 129; id < 136; ++id) {
        Picture a = load(id), b = load(id + 1);
        ASSERT_EQ(a.rgb.size(), b.rgb.size());
        EXPECT_NE(a.rgb, b.rgb) << id;
    }
}

// Sliders paint their whole track over the panel, so a track must be the panel's own pixels
// there; otherwise a seam appears round every slider.
TEST(EmbeddedBitmaps, TracksMatchThePanelUnderTheirSliders) {
    struct Place {
        int trackId, left, top;
    };
    const Place places[] = {{152, 150, 34},  {153, 287, 34},  {150, 169, 14},  {151, 169, 152},
                            {154, 23, 192},  {155, 54, 192},  {156, 108, 192}, {158, 282, 192},
                            {157, 158, 192}, {159, 331, 192}, {160, 386, 192}, {161, 418, 192}};
    Picture panel = load(128);
    ASSERT_EQ(panel.width, 465);
    for (const Place& place : places) {
        Picture track = load(place.trackId);
        ASSERT_GT(track.width, 0);
        EXPECT_TRUE(track.sameArea(0, 0, panel, place.left, place.top, track.width, track.height))
            << place.trackId;
    }
}

TEST(EmbeddedBitmaps, SwitchAndToggleShowEachStateDifferently) {
    Picture toggle = load(138);
    ASSERT_EQ(toggle.height, 30);
    EXPECT_FALSE(toggle.sameArea(0, 0, toggle, 0, 15, 57, 15));
    Picture mode = load(139);
    ASSERT_EQ(mode.height, 408);
    for (int a = 0; a < 4; ++a) {
        for (int b = a + 1; b < 4; ++b) {
            EXPECT_FALSE(mode.sameArea(0, a * 102, mode, 0, b * 102, 56, 102)) << a << " " << b;
        }
    }
}

// The meter splits its bar at row trunc(k / 14 * 101) for k unlit segments; each split must fall
// on a segment boundary, so the row above every split is a dark gap in both images.
TEST(EmbeddedBitmaps, MeterSegmentsEndWhereTheMeterSplitsTheBar) {
    for (int pair : {162, 164}) {
        Picture lit = load(pair), unlit = load(pair + 1);
        ASSERT_EQ(lit.height, 101);
        ASSERT_EQ(unlit.height, 101);
        for (int k = 1; k <= 14; ++k) {
            int split = static_cast<int>(k / 14.0 * 101);
            EXPECT_EQ(lit.at(4, split - 1), unlit.at(4, split - 1))
                << pair << " gap above " << split;
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
    std::string rc = text.str();
    for (const Expected& e : expectedBitmaps()) {
        std::string line = std::to_string(e.id) + " BITMAP \"bmp" + std::to_string(e.id) + ".bmp\"";
        EXPECT_NE(rc.find(line), std::string::npos) << line;
    }
    EXPECT_NE(rc.find("FILEVERSION 1,1,0,0"), std::string::npos);
    EXPECT_NE(rc.find("PRODUCTVERSION 1,1,0,0"), std::string::npos);
    EXPECT_NE(rc.find("\"FileDescription\", \"VST Plug-In\\0\""), std::string::npos);
}

}  // namespace
}  // namespace brindlet
