// Where every control of the editor sits on the 465 x 360 panel, and which bitmap each one uses.
#pragma once

#include <array>
#include <string_view>

namespace brindlet::artwork {

inline constexpr int kPanelWidth = 465;
inline constexpr int kPanelHeight = 360;

// Frame pixels; right and bottom are one past the last pixel the control's image covers.
struct Box {
    int left, top, right, bottom;
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr double centreX() const { return (left + right) / 2.0; }
    constexpr double centreY() const { return (top + bottom) / 2.0; }
};

inline constexpr int kBackgroundId = 128;
inline constexpr int kPresetButtonId = 129;  // + preset index
inline constexpr int kSlopeOffId = 138;
inline constexpr int kTrigModeId = 139;
inline constexpr int kRatioButtonId = 140;  // + ratio index
inline constexpr int kResetEnvModId = 148;
inline constexpr int kResetFeedbackId = 149;
inline constexpr int kMeterLevelLitId = 162;
inline constexpr int kMeterLevelUnlitId = 163;
inline constexpr int kMeterRiseLitId = 164;
inline constexpr int kMeterRiseUnlitId = 165;
inline constexpr int kHandlePitchId = 166;

inline constexpr int kTrackLength = 121;
inline constexpr int kTrackThickness = 21;
inline constexpr int kHandleSize = 21;
inline constexpr int kHandleTravel = kTrackLength - kHandleSize;

struct SliderPlace {
    std::string_view name;  // caption on the panel
    Box bounds;
    bool horizontal;
    int trackId;
    int handleId;
};

inline constexpr std::array<SliderPlace, 12> kSliders{{
    {"Start", {150, 34, 171, 155}, false, 152, 166},
    {"End", {287, 34, 308, 155}, false, 153, 166},
    {"Decay", {169, 14, 290, 35}, true, 150, 166},
    {"Shape", {169, 152, 290, 173}, true, 151, 166},
    {"Mod", {23, 192, 44, 313}, false, 154, 167},
    {"Attack", {54, 192, 75, 313}, false, 155, 167},
    {"Level", {108, 192, 129, 313}, false, 156, 168},
    {"Selectivity", {282, 192, 303, 313}, false, 158, 169},
    {"Level", {158, 192, 179, 313}, false, 157, 168},
    {"X-Fade", {331, 192, 352, 313}, false, 159, 169},
    {"Mix", {386, 192, 407, 313}, false, 160, 170},
    {"Feedback", {418, 192, 439, 313}, false, 161, 170},
}};

inline constexpr Box kTrigModeBox{194, 200, 250, 302};
inline constexpr int kTrigModePositions = 4;
inline constexpr std::array<std::string_view, kTrigModePositions> kTrigModeNames{
    "Normal", "No Slope", "Dry", "Mute"};

inline constexpr Box kSlopeOffBox{83, 84, 140, 99};
inline constexpr Box kLevelMeterBox{140, 202, 148, 303};  // left meter, input level
inline constexpr Box kRiseMeterBox{313, 202, 321, 303};   // right meter, onset rise
inline constexpr int kMeterSegments = 14;
inline constexpr Box kDisplayBox{179, 44, 280, 145};  // the plot draws one pixel past its bounds
inline constexpr Box kResetEnvModBox{3, 243, 22, 262};
inline constexpr Box kResetFeedbackBox{440, 243, 459, 262};
inline constexpr Box kEndEntryBox{385, 127, 428, 146};

inline constexpr int kPresetCount = 8;
inline constexpr std::array<std::string_view, kPresetCount> kPresetNames{
    "Bass",         "Big Drum",        "Electro Drum", "DJ Decks",
    "Talking Drum", "Hawaiian Guitar", "Flanger",      "Sweep"};
constexpr Box presetButtonBox(int k) {
    return {80 + 47 * k, 318, 115 + 47 * k, 353};
}

inline constexpr int kRatioCount = 8;
inline constexpr std::array<std::string_view, kRatioCount> kRatioNames{"1",   "3/4", "2/3", "1/2",
                                                                       "3/8", "1/3", "1/4", "1/8"};
constexpr Box ratioButtonBox(int k) {
    return {323, 44 + 13 * k, 370, 57 + 13 * k};
}

// Every bitmap id with its full size (stacked images included).
struct BitmapSize {
    int id, width, height;
};
inline constexpr std::array<BitmapSize, 42> kBitmapSizes{{
    {128, 465, 360}, {129, 35, 70},  {130, 35, 70},  {131, 35, 70},  {132, 35, 70},  {133, 35, 70},
    {134, 35, 70},   {135, 35, 70},  {136, 35, 70},  {138, 57, 30},  {139, 56, 408}, {140, 47, 26},
    {141, 47, 26},   {142, 47, 26},  {143, 47, 26},  {144, 47, 26},  {145, 47, 26},  {146, 47, 26},
    {147, 47, 26},   {148, 19, 38},  {149, 19, 38},  {150, 121, 21}, {151, 121, 21}, {152, 21, 121},
    {153, 21, 121},  {154, 21, 121}, {155, 21, 121}, {156, 21, 121}, {157, 21, 121}, {158, 21, 121},
    {159, 21, 121},  {160, 21, 121}, {161, 21, 121}, {162, 8, 101},  {163, 8, 101},  {164, 8, 101},
    {165, 8, 101},   {166, 21, 21},  {167, 21, 21},  {168, 21, 21},  {169, 21, 21},  {170, 21, 21},
}};

}  // namespace brindlet::artwork
