// Bounded text exchange with host-owned buffers: nothing longer than 24 bytes is written or read.
#pragma once

#include <cstddef>
#include <cstring>

#include "engine/ParameterIndex.h"

namespace brindlet {

// Copies at most kMaxTextBytes - 1 characters of `text` and the terminator into `out`.
inline void copyHostText(char* out, const char* text, size_t outBytes = kMaxTextBytes) {
    if (!out || outBytes == 0) return;
    const size_t length = text ? strnlen(text, outBytes - 1) : 0;
    std::memcpy(out, text ? text : "", length);
    out[length] = '\0';
}

}  // namespace brindlet
