// Test controls of the Windows backend that the platform interface does not cover.
#pragma once

#include <cstdint>

#include "toolkit/platform/Platform.h"

namespace brindlet::win32 {

// Forces the three-operation mask path instead of TransparentBlt (false) or allows it (true).
void setTransparentBltAllowed(bool allowed);
// Whether a frame window class is registered now, and how many windows use it.
bool isWindowClassRegistered();
int32_t getWindowClassUsers();
// The HWND of a frame window, as void* so callers need no Windows headers.
void* windowHandle(NativeWindow* window);
// The DIB pixel at (x, y) of an offscreen surface as red + 256 green + 65536 blue; 0 outside.
uint32_t getSurfacePixel(NativeSurface* surface, int32_t x, int32_t y);

}  // namespace brindlet::win32
