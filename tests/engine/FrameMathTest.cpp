// The SSE forms of the frame loop's helpers against their portable forms, over a spread of bit
// patterns: NaN, infinities, denormals, both zeros and the shaping's corners included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/EngineMath.h"
#include "engine/StereoSample.h"

namespace brindlet {
namespace {

float fromBits(uint32_t bits) {
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
uint32_t bitsOfFloat(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

TEST(FrameMath, FlushAndShapeInOneStepGivesTheBitsOfTheTwoSteps) {
    const float corners[] = {0.5f, -0.5f, 2.0f, -2.0f, 1e-8f, -1e-8f, 0.0f, -0.0f};
    auto check = [](float left, float right) {
        const StereoSample v = {left, right};
        const StereoSample fast = flushAndShapeFeedback(v);
        const StereoSample slow = shapeFeedback(flushTiny(v));
        for (int lane = 0; lane < 2; ++lane)
            ASSERT_EQ(bitsOfFloat(fast[lane]), bitsOfFloat(slow[lane])) << v[lane];
    };
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += 4093)
        check(fromBits(static_cast<uint32_t>(bits)), fromBits(static_cast<uint32_t>(~bits)));
    for (float c : corners) {
        check(c, std::nextafter(c, 10.0f));
        check(std::nextafter(c, -10.0f), c);
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

}  // namespace
}  // namespace brindlet
