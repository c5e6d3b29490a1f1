// Font ids and their table, text alignment and line styles shared by contexts and backends.
#pragma once

#include <cstdint>

namespace brindlet {

enum FontId : int32_t {
    fontBold = 0,  // always bold
    fontHuge = 1,
    fontLarge = 2,
    fontNormal = 3,
    fontSmall = 4,
    fontSmaller = 5,
    fontSmallest = 6,
    fontSymbol = 7,
};

inline constexpr int32_t kNumFonts = 8;

enum FontStyleBits : int32_t {
    kFontStyleBold = 1,
    kFontStyleItalic = 2,
    kFontStyleUnderline = 4,
};

struct FontTableEntry {
    const char* face;
    int32_t defaultSize;  // character height in pixels
};

inline constexpr FontTableEntry kFontTable[kNumFonts] = {
    {"Arial", 12}, {"Arial", 18}, {"Arial", 14}, {"Arial", 12},
    {"Arial", 11}, {"Arial", 10}, {"Arial", 9},  {"Symbol", 13},
};

// Any value outside 0..7 means font 0.
inline constexpr FontId validFontId(int32_t id) {
    return (id < 0 || id >= kNumFonts) ? fontBold : static_cast<FontId>(id);
}

enum TextAlign : int32_t {
    alignLeft = 0,
    alignCenter = 1,
    alignRight = 2,  // any other value behaves as left
};

enum LineStyle : int32_t {
    lineSolid = 0,
    lineDotted = 1,
};

// Pitch-and-family values of a font description.
inline constexpr int32_t kFamilySwissVariable = 34;
inline constexpr int32_t kFamilyDecorative = 80;

struct FontDescription {
    const char* face = "Arial";
    int32_t height = -12;  // negative: character height in pixels; positive: cell height
    int32_t weight = 400;  // 700 is bold
    bool italic = false;
    bool underline = false;
    int32_t pitchAndFamily = kFamilySwissVariable;
};

}  // namespace brindlet
