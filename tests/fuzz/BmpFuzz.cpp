// Fuzz target: the BMP decoder on any bytes; a decoded picture must hold exactly its pixels.
#include <cstdlib>

#include "toolkit/bitmap/BmpDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    brindlet::DecodedBitmap out;
    if (brindlet::decodeBmp(data, size, out)) {
        if (out.width <= 0 || out.height <= 0) std::abort();
        if (out.rgb.size() != size_t(out.width) * size_t(out.height) * 3) std::abort();
    }
    return 0;
}
