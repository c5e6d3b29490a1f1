// Conversions to pixels that truncate towards zero and stay defined for NaN and huge values.
#pragma once

#include <cmath>
#include <cstdint>

namespace brindlet {

inline int32_t truncToInt(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return INT32_MAX;
    if (x <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(x);
}

// Pixel sums done in 64 bits come back to 32 without wrapping.
inline int32_t saturateToInt(int64_t x) {
    if (x > INT32_MAX) return INT32_MAX;
    if (x < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(x);
}

}  // namespace brindlet
