// The frame's child window: one class per module shared by its windows, and the window procedure.
#include <cstdio>
#include <mutex>
#include <new>

#include "toolkit/platform/win32/FileDropTarget.h"
#include "toolkit/platform/win32/Win32Backend.h"
#include "toolkit/platform/win32/Win32Types.h"

namespace brindlet {

namespace {

std::mutex classLock;
int32_t classUsers = 0;
char className[32] = "";

NativeWindow* windowOf(HWND hwnd) {
    // Pointer-sized user data: a 32-bit slot would cut a 64-bit pointer in half.
    return reinterpret_cast<NativeWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void deliverPress(NativeWindow* window, LPARAM lParam) {
    NativeSurface surface;
    surface.dc = GetDC(window->hwnd);
    const Point where(static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam)));
    window->events->buttonPressed(&surface, where);
    ReleaseDC(window->hwnd, surface.dc);
}

void deliverWheel(NativeWindow* window, WPARAM wParam, LPARAM lParam) {
    // The wheel's position comes in screen pixels.
    POINT p{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
    ScreenToClient(window->hwnd, &p);
    const float distance = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
    NativeSurface surface;
    surface.dc = GetDC(window->hwnd);
    window->events->wheelTurned(&surface, Point(p.x, p.y), distance);
    ReleaseDC(window->hwnd, surface.dc);
}

void deliverPaint(NativeWindow* window) {
    PAINTSTRUCT paint;
    NativeSurface surface;
    surface.dc = BeginPaint(window->hwnd, &paint);
    if (surface.dc) {
        const RECT& r = paint.rcPaint;
        window->events->paintRequested(&surface, Rect(r.left, r.top, r.right, r.bottom));
    }
    EndPaint(window->hwnd, &paint);
}

LRESULT CALLBACK frameWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    NativeWindow* window = windowOf(hwnd);
    if (!window || !window->events) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_PAINT:
            deliverPaint(window);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            deliverPress(window, lParam);
            return 0;
        case WM_MOUSEWHEEL:
            deliverWheel(window, wParam, lParam);
            return 0;
        case WM_CTLCOLOREDIT:
            if (HBRUSH brush = win32::editFieldColors(reinterpret_cast<HWND>(lParam),
                                                      reinterpret_cast<HDC>(wParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        case WM_DESTROY: {
            // Destroyed with the host's window: the frame hears of it once and no more.
            WindowEvents* events = window->events;
            window->events = nullptr;
            events->windowDestroyed();
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool acquireClass() {
    std::lock_guard<std::mutex> lock(classLock);
    if (classUsers == 0) {
        HINSTANCE module = win32::moduleHandle();
        // Named after the module, so two copies of the plug-in loaded side by side never share it.
        std::snprintf(className, sizeof(className), "Plugin%08x",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(module)));
        WNDCLASSA wc{};
        wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
        wc.lpfnWndProc = frameWindowProc;
        wc.hInstance = module;
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        wc.lpszClassName = className;
        if (!RegisterClassA(&wc)) return false;
    }
    ++classUsers;
    return true;
}

void releaseClass() {
    std::lock_guard<std::mutex> lock(classLock);
    if (classUsers <= 0) return;
    if (--classUsers == 0) UnregisterClassA(className, win32::moduleHandle());
}

}  // namespace

namespace win32 {

bool isWindowClassRegistered() {
    std::lock_guard<std::mutex> lock(classLock);
    WNDCLASSA wc;
    return classUsers > 0 && GetClassInfoA(moduleHandle(), className, &wc);
}

int32_t getWindowClassUsers() {
    std::lock_guard<std::mutex> lock(classLock);
    return classUsers;
}

void* windowHandle(NativeWindow* window) {
    return window ? window->hwnd : nullptr;
}

}  // namespace win32

namespace platform {

NativeWindow* createFrameWindow(void* parent, int32_t width, int32_t height, WindowEvents* events) {
    if (!parent || !IsWindow(static_cast<HWND>(parent)) || width < 0 || height < 0) return nullptr;
    NativeWindow* window = new (std::nothrow) NativeWindow;
    if (!window) return nullptr;
    if (!acquireClass()) {
        delete window;
        return nullptr;
    }
    window->hwnd = CreateWindowExA(0, className, "Window", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                   0, 0, width, height, static_cast<HWND>(parent), nullptr,
                                   win32::moduleHandle(), nullptr);
    if (!window->hwnd) {
        releaseClass();
        delete window;
        return nullptr;
    }
    SetWindowLongPtrA(window->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    window->events = events;
    return window;
}

// The window procedure receives the messages through the host's own message loop.
void dispatchWindowEvents(NativeWindow*) {}

void destroyFrameWindow(NativeWindow* window) {
    if (!window) return;
    revokeDropTarget(window);
    if (IsWindow(window->hwnd)) {
        window->events = nullptr;  // no events while it goes
        SetWindowLongPtrA(window->hwnd, GWLP_USERDATA, 0);
        DestroyWindow(window->hwnd);
    }
    releaseClass();
    delete window;
}

bool registerDropTarget(NativeWindow* window) {
    if (!window || window->dropTarget) return window && window->dropTarget;
    FileDropTarget* target = new (std::nothrow) FileDropTarget(window);
    if (!target) return false;
    if (FAILED(RegisterDragDrop(window->hwnd, target))) {
        target->Release();
        return false;
    }
    window->dropTarget = target;
    return true;
}

void revokeDropTarget(NativeWindow* window) {
    if (!window || !window->dropTarget) return;
    if (IsWindow(window->hwnd)) RevokeDragDrop(window->hwnd);
    window->dropTarget->detach();
    window->dropTarget->Release();
    window->dropTarget = nullptr;
}

NativeSurface* beginWindowDrawing(NativeWindow* window) {
    if (!window || !IsWindow(window->hwnd)) return nullptr;
    NativeSurface* surface = new (std::nothrow) NativeSurface;
    if (!surface) return nullptr;
    surface->dc = GetDC(window->hwnd);
    if (!surface->dc) {
        delete surface;
        return nullptr;
    }
    return surface;
}

void endWindowDrawing(NativeWindow* window, NativeSurface* surface) {
    if (!surface) return;
    if (window) ReleaseDC(window->hwnd, surface->dc);
    delete surface;
}

Point getWindowOrigin(NativeWindow* window) {
    if (!window || !IsWindow(window->hwnd)) return Point();
    POINT p{0, 0};
    ClientToScreen(window->hwnd, &p);
    return Point(p.x, p.y);
}

}  // namespace platform
}  // namespace brindlet
