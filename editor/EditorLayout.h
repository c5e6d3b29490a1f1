// Where every control of the editor sits, what it edits and which bitmaps it draws.
#pragma once

#include <array>
#include <cstdint>

#include "editor/EditorTags.h"
#include "engine/ParameterIndex.h"
#include "toolkit/core/Geometry.h"

namespace brindlet {

enum class ControlKind : int32_t {
    VerticalSlider,
    HorizontalSlider,
    VerticalSwitch,
    LevelMeter,
    SweepDisplay,
    MomentaryButton,
    OnOffButton,
    TextEdit,
};

// For sliders `bitmap` is the track and `extra` the handle, and the handle's leading edge travels
// from minPos to maxPos. For meters `bitmap` is lit and `extra` unlit. For buttons and the switch
// `extra` is the height of one image.
struct LayoutRow {
    ControlKind kind;
    int32_t tag;  // -1: the control reports nothing (meters)
    Rect bounds;
    int32_t bitmap;  // resource id, 0 for none
    int32_t extra;
    int32_t minPos;
    int32_t maxPos;
};

constexpr int32_t kNumLayoutRows = 36;
constexpr int32_t kSliderTravel = 100;  // track length 121 minus handle length 21

constexpr LayoutRow verticalSlider(int32_t tag, int32_t left, int32_t top, int32_t track,
                                   int32_t handle) {
    return {
        ControlKind::VerticalSlider, tag, Rect(left, top, left + 21, top + 121), track, handle, top,
        top + kSliderTravel};
}
constexpr LayoutRow horizontalSlider(int32_t tag, int32_t left, int32_t top, int32_t track,
                                     int32_t handle) {
    return {ControlKind::HorizontalSlider,
            tag,
            Rect(left, top, left + 121, top + 21),
            track,
            handle,
            left,
            left + kSliderTravel};
}

constexpr std::array<LayoutRow, kNumLayoutRows> makeLayout() {
    using K = ControlKind;
    std::array<LayoutRow, kNumLayoutRows> rows{};
    int32_t n = 0;
    rows[n++] = verticalSlider(kPitchStart, 150, 34, 152, 166);
    rows[n++] = verticalSlider(kPitchEnd, 287, 34, 153, 166);
    rows[n++] = horizontalSlider(kPitchDecay, 169, 14, 150, 166);
    rows[n++] = horizontalSlider(kPitchShape, 169, 152, 151, 166);
    rows[n++] = verticalSlider(kEnvMod, 23, 192, 154, 167);
    rows[n++] = verticalSlider(kEnvAttack, 54, 192, 155, 167);
    rows[n++] = verticalSlider(kGateLevel, 108, 192, 156, 168);
    rows[n++] = verticalSlider(kTrigSelectivity, 282, 192, 158, 169);
    rows[n++] = verticalSlider(kTrigLevel, 158, 192, 157, 168);
    rows[n++] = verticalSlider(kXFade, 331, 192, 159, 169);
    rows[n++] = verticalSlider(kMix, 386, 192, 160, 170);
    rows[n++] = verticalSlider(kFeedback, 418, 192, 161, 170);
    rows[n++] = {K::VerticalSwitch, kTrigMode, Rect(194, 200, 250, 302), 139, 102, 0, 0};
    rows[n++] = {K::LevelMeter, -1, Rect(313, 202, 321, 303), 164, 165, 0, 0};  // feed 16
    rows[n++] = {K::LevelMeter, -1, Rect(140, 202, 148, 303), 162, 163, 0, 0};  // feed 17
    rows[n++] = {K::SweepDisplay, kTagSweepDisplay, Rect(179, 44, 279, 144), 0, 0, 0, 0};
    rows[n++] = {K::MomentaryButton, kTagResetEnvMod, Rect(3, 243, 22, 262), 148, 19, 0, 0};
    rows[n++] = {K::MomentaryButton, kTagResetFeedback, Rect(440, 243, 459, 262), 149, 19, 0, 0};
    for (int32_t k = 0; k < kNumPresetButtons; ++k) {
        rows[n++] = {K::MomentaryButton,
                     kTagPreset0 + k,
                     Rect(80 + 47 * k, 318, 115 + 47 * k, 353),
                     129 + k,
                     35,
                     0,
                     0};
    }
    for (int32_t k = 0; k < kNumEndRatios; ++k) {
        rows[n++] = {K::MomentaryButton,
                     kTagEndRatio0 + k,
                     Rect(323, 44 + 13 * k, 370, 57 + 13 * k),
                     140 + k,
                     13,
                     0,
                     0};
    }
    rows[n++] = {K::OnOffButton, kSlopeOff, Rect(83, 84, 140, 99), 138, 0, 0, 0};
    rows[n++] = {K::TextEdit, kTagEndEntry, Rect(385, 127, 428, 146), 0, 0, 0, 0};
    return rows;
}

inline constexpr std::array<LayoutRow, kNumLayoutRows> kEditorLayout = makeLayout();

// Positions in the layout of the controls the binding addresses directly.
constexpr int32_t kRowRightMeter = 13;
constexpr int32_t kRowLeftMeter = 14;
constexpr int32_t kRowDisplay = 15;
constexpr int32_t kRowTextEdit = 35;

// The row of the control with this tag, or -1.
constexpr int32_t layoutRowOfTag(int32_t tag) {
    for (int32_t i = 0; i < kNumLayoutRows; ++i) {
        if (kEditorLayout[i].tag == tag) return i;
    }
    return -1;
}

}  // namespace brindlet
