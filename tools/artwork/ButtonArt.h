// Push buttons: released image above pressed image, corners see-through.
#pragma once

#include <string_view>

#include "tools/artwork/Image.h"
#include "tools/artwork/PanelLayout.h"

namespace brindlet::artwork {

// `panel` is the background, so edge pixels blend with what the button is drawn on.
Image drawPresetButton(const Image& panel, const Box& box, std::string_view name);
Image drawRatioButton(const Image& panel, const Box& box, std::string_view ratio);
Image drawResetButton(const Image& panel, const Box& box);

}  // namespace brindlet::artwork
