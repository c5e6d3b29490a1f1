// The "Slope Off" toggle, the four-position "Trig/ Mode" switch and the meter columns.
#pragma once

#include "tools/artwork/Image.h"
#include "tools/artwork/Palette.h"

namespace brindlet::artwork {

// Off image above on image; drawn opaquely over `panel` at the toggle's place.
Image drawSlopeOffToggle(const Image& panel);
// Four images stacked, image k with position k selected.
Image drawTrigModeSwitch(const Image& panel);
// Meter segments of 8 x 101, lit or unlit; `hot` colours the top segments, `base` the rest.
Image drawMeter(bool lit, Rgb base, Rgb warm, Rgb hot);

}  // namespace brindlet::artwork
