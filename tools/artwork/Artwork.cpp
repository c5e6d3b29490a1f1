// Draws the panel first; the images of opaque controls are cut from it so they line up exactly.
#include "tools/artwork/Artwork.h"

#include "tools/artwork/Background.h"
#include "tools/artwork/ButtonArt.h"
#include "tools/artwork/IndicatorArt.h"
#include "tools/artwork/PanelLayout.h"
#include "tools/artwork/SliderArt.h"

namespace brindlet::artwork {

std::map<int, Image> drawAllBitmaps() {
    std::map<int, Image> bitmaps;
    Image panel = drawBackground();
    for (int k = 0; k < kPresetCount; ++k) {
        bitmaps[kPresetButtonId + k] = drawPresetButton(panel, presetButtonBox(k), kPresetNames[k]);
    }
    bitmaps[kSlopeOffId] = drawSlopeOffToggle(panel);
    bitmaps[kTrigModeId] = drawTrigModeSwitch(panel);
    for (int k = 0; k < kRatioCount; ++k) {
        bitmaps[kRatioButtonId + k] = drawRatioButton(panel, ratioButtonBox(k), kRatioNames[k]);
    }
    bitmaps[kResetEnvModId] = drawResetButton(panel, kResetEnvModBox);
    bitmaps[kResetFeedbackId] = drawResetButton(panel, kResetFeedbackBox);
    // A slider paints its whole track image over the panel, so the track is the panel's own pixels.
    for (const SliderPlace& s : kSliders) {
        const Box& b = s.bounds;
        bitmaps[s.trackId] = panel.crop(b.left, b.top, b.width(), b.height());
    }
    Rgb green = rgb(0x4fdc55), yellow = rgb(0xf2d23c), red = rgb(0xff4a3a);
    Rgb violet = rgb(0xa878ff), lilac = rgb(0xd49cff), pink = rgb(0xff7ad0);
    bitmaps[kMeterLevelLitId] = drawMeter(true, green, yellow, red);
    bitmaps[kMeterLevelUnlitId] = drawMeter(false, green, yellow, red);
    bitmaps[kMeterRiseLitId] = drawMeter(true, violet, lilac, pink);
    bitmaps[kMeterRiseUnlitId] = drawMeter(false, violet, lilac, pink);
    bitmaps[kHandlePitchId] = drawHandle(kAccentPitch, true);
    bitmaps[kHandlePitchId + 1] = drawHandle(kAccentEnv, false);
    bitmaps[kHandlePitchId + 2] = drawHandle(kAccentLevel, false);
    bitmaps[kHandlePitchId + 3] = drawHandle(kAccentTrigger, false);
    bitmaps[kHandlePitchId + 4] = drawHandle(kAccentOutput, false);
    bitmaps[kBackgroundId] = std::move(panel);
    return bitmaps;
}

}  // namespace brindlet::artwork
