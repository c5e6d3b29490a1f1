// The Windows backend's definitions of the opaque platform objects.
#pragma once

#include <windows.h>

#include "toolkit/platform/Platform.h"

namespace brindlet {

struct NativeSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;  // offscreen only: the DIB section drawn into
    HGDIOBJ previousBitmap = nullptr;
    void* pixels = nullptr;  // offscreen only: top-down 32-bit rows
    int32_t width = 0;
    int32_t height = 0;
};

struct NativeImage {
    HBITMAP bitmap = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

struct NativeFont {
    HFONT font = nullptr;
};

class FileDropTarget;

struct NativeWindow {
    HWND hwnd = nullptr;
    WindowEvents* events = nullptr;
    FileDropTarget* dropTarget = nullptr;
};

struct NativeEditField {
    HWND edit = nullptr;
    NativeWindow* window = nullptr;
    EditFieldEvents* events = nullptr;
    HFONT font = nullptr;
    HBRUSH backBrush = nullptr;
    COLORREF textColor = 0;
    COLORREF backColor = 0;
    WNDPROC previousProc = nullptr;
};

namespace win32 {

inline COLORREF colorRef(Color c) {
    return RGB(c.red, c.green, c.blue);
}

// The module this backend is linked into (the plug-in DLL, or a test program).
HINSTANCE moduleHandle();

// The window's edit field colours, for WM_CTLCOLOREDIT; 0 when the control is not ours.
HBRUSH editFieldColors(HWND control, HDC dc);

}  // namespace win32
}  // namespace brindlet
