// Logical mouse buttons and modifier keys as read at one instant.
#pragma once

#include <cstdint>

namespace brindlet {

using ButtonState = int32_t;

enum ButtonBits : int32_t {
    kLButton = 1,
    kMButton = 2,
    kRButton = 4,
    kShift = 8,
    kControl = 16,
    kAlt = 32,
};

// Passed instead of a reading when no drawing context is at hand.
inline constexpr ButtonState kButtonsNotRead = -1;

}  // namespace brindlet
