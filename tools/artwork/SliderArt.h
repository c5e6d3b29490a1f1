// Slider tracks (drawn into the panel, so the slider's own track image matches it) and handles.
#pragma once

#include "tools/artwork/Image.h"
#include "tools/artwork/Painter.h"
#include "tools/artwork/Palette.h"
#include "tools/artwork/PanelLayout.h"

namespace brindlet::artwork {

// The groove and tick scale of one slider, in panel coordinates.
void drawTrack(cairo_t* cr, const SliderPlace& slider);

// A 21 x 21 handle; everything outside the cap is kSeeThrough. `round` gives the knob that
// serves both orientations, otherwise a fader cap for vertical travel.
Image drawHandle(Rgb accent, bool round);

// The colour behind a handle's edge pixels: the mean of a track.
Image trackTone(int width, int height);

}  // namespace brindlet::artwork
