// The SSE forms of the frame loop's helpers against their portable forms, over a spread of bit
// patterns: NaN, infinities, denormals, both zeros and the shaping's corners included.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "engine/EngineMath.h"
#include "engine/StereoSample.h"
#include "engine/TakeInterpolation.h"

namespace brindlet {
namespace {

float fromBits(uint64_t bits) {
    return std::bit_cast<float>(static_cast<uint32_t>(bits));
}
uint32_t bitsOfFloat(float v) {
    return std::bit_cast<uint32_t>(v);
}
::testing::AssertionResult sameBits(StereoSample a, StereoSample b) {
    if (bitsOfFloat(a[0]) == bitsOfFloat(b[0]) && bitsOfFloat(a[1]) == bitsOfFloat(b[1]))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << a[0] << ' ' << a[1] << " against " << b[0] << ' ' << b[1];
}

TEST(FrameMath, FlushAndShapeInOneStepGivesTheBitsOfTheTwoSteps) {
    const float corners[] = {0.5f, -0.5f, 2.0f, -2.0f, 1e-8f, -1e-8f, 0.0f, -0.0f};
    auto check = [](float left, float right) {
        const StereoSample v = {left, right};
        ASSERT_TRUE(sameBits(flushAndShapeFeedback(v), shapeFeedback(flushTiny(v))));
    };
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += 4093)
        check(fromBits(bits), fromBits(~bits));
    for (float c : corners) {
        check(c, std::nextafter(c, 10.0f));
        check(std::nextafter(c, -10.0f), c);
    }
}

// zeroTimes stands for 0 · x where x is finite; where the feedback is off, only the sign of +0
// times the shaped value is kept.
TEST(FrameMath, ZeroTimesFormsGiveTheBitsOfTheProducts) {
    const StereoSample zero = {0.0f, 0.0f};
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += 997) {
        const StereoSample v = {fromBits(bits), fromBits(bits ^ 0x80000000u)};
        ASSERT_TRUE(sameBits(zeroTimesFeedback(v), 0.0f * flushAndShapeFeedback(v))) << v[0];
        if (std::isfinite(v[0])) {
            ASSERT_TRUE(sameBits(zeroTimes(v), zero * v)) << v[0];
        }
    }
}

TEST(FrameMath, ReadIndexRoundsLikeTheAdditionTrickOverTheWholeTakeRange) {
    for (float t = 0.0f; t < 4.2e6f; t = t * 1.0001f + 0.03125f) {
        ASSERT_EQ(static_cast<float>(nearestEvenIndex(t)), nearestEvenSmall(t)) << t;
        const float half = std::floor(t) + 0.5f;  // ties go to even both ways
        ASSERT_EQ(static_cast<float>(nearestEvenIndex(half)), nearestEvenSmall(half)) << half;
    }
    EXPECT_EQ(nearestEvenIndex(-0.0f), 0);
}

constexpr float kTinyLimit = 0x1p-63f;

// Samples of a take recorded from input fading out: any sign, exponents from the denormals up
// to the tiny-sample limit, zeros of both signs, and runs of equal or nearly equal values;
// `loud` ones as well for the neighbours of a tiny sample.
class TinySamples {
public:
    float next(bool loud = false) {
        const uint32_t kind = rng_() % 8;
        if (kind == 0) return (rng_() & 1) ? 0.0f : -0.0f;
        if (kind == 1) return std::nextafter(last_, (rng_() & 1) ? 1.0f : -1.0f);
        const uint32_t sign = rng_() & 0x80000000u;
        const float limit = loud && kind < 5 ? 1.0e6f : kTinyLimit;
        const uint32_t exponent = rng_() % (bitsOfFloat(limit) >> 23);  // 0: denormal
        last_ = fromBits(sign | exponent << 23 | (rng_() & 0x7FFFFFu));
        return last_;
    }
    float position() {
        const uint32_t kind = rng_() % 6;
        if (kind == 0) return (rng_() & 1) ? 0.5f : -0.5f;
        if (kind == 1) return fromBits((rng_() & 0x80000000u) | (rng_() & 0x3FFFFFFFu)) * 0.5f;
        return std::uniform_real_distribution<float>(-0.5f, 0.5f)(rng_);
    }

private:
    std::mt19937 rng_{20261208};
    float last_ = 1e-40f;
};

TEST(FrameMath, CubicOfTinyGivesTheFloatCubicsBitsAtTinySamplesWhateverTheirNeighbours) {
    TinySamples source;
    for (int n = 0; n < 4000000; ++n) {
        const bool loud = n % 4 == 0;
        const StereoSample c = {source.next(loud), source.next(loud)};
        const StereoSample d = {source.next(), source.next()};
        const StereoSample e = {source.next(loud), source.next(loud)};
        const StereoSample g = {source.next(loud), source.next(loud)};
        const float f = source.position();
        ASSERT_TRUE(sameBits(cubicOfTiny(c, d, e, g, f), cubic(c, d, e, g, f)))
            << c[0] << ' ' << d[0] << ' ' << e[0] << ' ' << g[0] << " at " << f;
    }
}

TEST(FrameMath, BothTinyTellsBothMagnitudesBelowTheLimit) {
    auto below = [](float x) { return std::fabs(x) < kTinyLimit; };
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += 4093) {
        const float x = fromBits(bits);
        for (float y : {0.0f, -1e-40f, kTinyLimit, -std::nextafter(kTinyLimit, 0.0f), 1.0f, NAN})
            ASSERT_EQ(bothTiny(StereoSample{x, y}), below(x) && below(y)) << x << ' ' << y;
    }
}

TEST(FrameMath, TakeReadAtATinySampleGivesTheFloatCubicsBits) {
    const StereoSample tiny = {1e-30f, -1e-38f};
    const StereoSample buffer[] = {tiny * 0.75f, tiny, tiny * 3.0f, tiny * -0.5f};
    TakeReadPoint point;
    point.silent = false;
    point.linear = false;
    point.i = 1;
    point.f = 0.25f;
    ASSERT_TRUE(bothTiny(buffer[1]));
    EXPECT_TRUE(sameBits(readTake(buffer, point),
                         cubic(buffer[0], buffer[1], buffer[2], buffer[3], point.f)));
}

}  // namespace
}  // namespace brindlet
