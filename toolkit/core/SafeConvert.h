// Float to pixel conversion that truncates towards zero and stays defined for NaN and huge values.
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

}  // namespace brindlet
