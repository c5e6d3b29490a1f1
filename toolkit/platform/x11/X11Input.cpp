// Pointer, buttons and keys read from the X server, the clock, thread services and bitmap
// resources.
#include <time.h>

#include "resources/EmbeddedBitmaps.h"
#include "toolkit/platform/x11/X11State.h"

namespace brindlet {

namespace {

// Pointer queries use the newest frame's connection; without a window there is nothing to ask.
Display* anyDisplay() {
    const auto& windows = x11::state().windows;
    return windows.empty() ? nullptr : windows.back()->display;
}

bool queryPointer(int& x, int& y, unsigned int& mask) {
    Display* d = anyDisplay();
    if (!d) return false;
    x11::ErrorTrap trap;
    Window root = 0, child = 0;
    int wx = 0, wy = 0;
    return XQueryPointer(d, DefaultRootWindow(d), &root, &child, &x, &y, &wx, &wy, &mask);
}

}  // namespace

namespace platform {

uint32_t getPhysicalInput() {
    int x = 0, y = 0;
    unsigned int mask = 0;
    if (!queryPointer(x, y, mask)) return 0;
    const bool swapped = areButtonsSwapped();
    uint32_t bits = 0;
    // The server reports logical buttons; undo the swap to get the physical ones.
    if (mask & (swapped ? Button3Mask : Button1Mask)) bits |= kPhysicalLeft;
    if (mask & Button2Mask) bits |= kPhysicalMiddle;
    if (mask & (swapped ? Button1Mask : Button3Mask)) bits |= kPhysicalRight;
    if (mask & ShiftMask) bits |= kPhysicalShift;
    if (mask & ControlMask) bits |= kPhysicalControl;
    if (mask & Mod1Mask) bits |= kPhysicalAlt;
    return bits;
}

bool areButtonsSwapped() {
    return x11::state().windowClass.buttonsSwapped;
}

Point getPointerPosition() {
    int x = 0, y = 0;
    unsigned int mask = 0;
    if (!queryPointer(x, y, mask)) return Point();
    return Point(x, y);
}

uint32_t getTickCount() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint32_t>(uint64_t(t.tv_sec) * 1000u + uint64_t(t.tv_nsec) / 1000000u);
}

void sleepMilliseconds(uint32_t milliseconds) {
    timespec t{static_cast<time_t>(milliseconds / 1000),
               static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&t, &t) != 0) {
    }
}

int32_t getDoubleClickTime() {
    return 400;
}

void beginThreadServices() {
    ++x11::state().threadServicesDepth;
}
void endThreadServices() {
    --x11::state().threadServicesDepth;
}

bool findBitmapResource(int32_t id, const uint8_t** data, size_t* size) {
    if (!data || !size) return false;
    const EmbeddedBitmap* embedded = findEmbeddedBitmap(id);
    if (!embedded) return false;
    *data = embedded->data;
    *size = embedded->size;
    return true;
}

}  // namespace platform
}  // namespace brindlet
