// The 465 x 360 panel: brushed graphite, engraved section lines, captions, slider tracks, bezels.
#pragma once

#include "tools/artwork/Image.h"

namespace brindlet::artwork {

Image drawBackground();

}  // namespace brindlet::artwork
