// Frees the drawing library's process-wide font caches after the last test, so leak checks see a
// clean exit. For test programs that do not link the toolkit's test support, which does the same.
#include <gtest/gtest.h>

#include "toolkit/platform/headless/Headless.h"

namespace {
class FontCacheRelease : public ::testing::Environment {
public:
    void TearDown() override { brindlet::headless::releaseFontCaches(); }
};
[[maybe_unused]] ::testing::Environment* const fontCacheRelease =
    ::testing::AddGlobalTestEnvironment(new FontCacheRelease);
}  // namespace
