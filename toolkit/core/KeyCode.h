// Key record handed from the host to the frame: same layout as the host interface's key record.
#pragma once

#include <cstdint>

namespace brindlet {

struct KeyCode {
    int32_t character = 0;
    uint8_t virt = 0;
    uint8_t modifier = 0;
};

enum VirtualKey : uint8_t {
    kKeyBack = 1,
    kKeyTab = 2,
    kKeyReturn = 4,
    kKeyEscape = 6,
    kKeySpace = 7,
    kKeyEnd = 9,
    kKeyHome = 10,
    kKeyLeft = 11,
    kKeyUp = 12,
    kKeyRight = 13,
    kKeyDown = 14,
    kKeyEnter = 19,
    kKeyDelete = 22,
};

enum KeyModifier : uint8_t {
    kModifierShift = 1,
    kModifierAlternate = 2,
    kModifierCommand = 4,
    kModifierControl = 8,
};

}  // namespace brindlet
