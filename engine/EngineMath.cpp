// Portable exponential for the sweep factor.
#include "engine/EngineMath.h"

#include <limits>

namespace brindlet {

namespace {
constexpr double kLn2 = 0.693147180559945309417232121458176568;
constexpr double kLog2E = 1.44269504088896340735992468100189214;
constexpr double kLnFinalShare = -5.2983;  // the exponential part falls to 0.5 % over n frames
constexpr int kSeriesTerms = 14;           // |r| <= ln2 / 2: the 14th term is below 1e-17
}  // namespace

double portableExp2(double y) {
    if (std::isnan(y)) return y;
    if (y > 1025.0) return std::numeric_limits<double>::infinity();
    if (y < -1100.0) return 0.0;
    const double k = std::nearbyint(y);
    const double r = (y - k) * kLn2;
    double p = 1.0;
    for (int n = kSeriesTerms; n >= 1; --n) p = 1.0 + p * r / n;
    return std::ldexp(p, static_cast<int>(k));
}

// Computed as 2^(log2(e) * x) in double rather than x87 extended precision: extended precision
// is not available on every target, and double arithmetic gives the same bits on all of them.
float sweepExpFactor(float lengthFrames) {
    const double exponent = kLog2E * (kLnFinalShare / static_cast<double>(lengthFrames));
    return static_cast<float>(portableExp2(exponent));
}

}  // namespace brindlet
