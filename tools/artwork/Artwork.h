// Every bitmap of the editor, by resource id.
#pragma once

#include <map>

#include "tools/artwork/Image.h"

namespace brindlet::artwork {

std::map<int, Image> drawAllBitmaps();

}  // namespace brindlet::artwork
