// Windows input, time, per-thread OLE services, the paint pump and bitmap resources of the module.
#include <ole2.h>

#include "resources/EmbeddedBitmaps.h"
#include "toolkit/platform/win32/Win32Types.h"

namespace brindlet {

namespace {

bool isDown(int key) {
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

// Which of this thread's OleInitialize calls succeeded, innermost in bit 0: only those are
// balanced, so a host thread already in another apartment keeps its COM.
thread_local uint64_t oleSucceeded = 0;
thread_local int32_t oleDepth = 0;

}  // namespace

namespace win32 {

HINSTANCE moduleHandle() {
    static const HINSTANCE module = [] {
        HMODULE found = nullptr;
        GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&moduleHandle), &found);
        return found;
    }();
    return module;
}

}  // namespace win32

namespace platform {

uint32_t getPhysicalInput() {
    uint32_t bits = 0;
    // VK_LBUTTON and VK_RBUTTON are the physical buttons, before the swap.
    if (isDown(VK_LBUTTON)) bits |= kPhysicalLeft;
    if (isDown(VK_MBUTTON)) bits |= kPhysicalMiddle;
    if (isDown(VK_RBUTTON)) bits |= kPhysicalRight;
    if (isDown(VK_SHIFT)) bits |= kPhysicalShift;
    if (isDown(VK_CONTROL)) bits |= kPhysicalControl;
    if (isDown(VK_MENU)) bits |= kPhysicalAlt;
    return bits;
}

bool areButtonsSwapped() {
    return GetSystemMetrics(SM_SWAPBUTTON) != 0;
}

Point getPointerPosition() {
    POINT p{};
    GetCursorPos(&p);
    return Point(p.x, p.y);
}

uint32_t getTickCount() {
    return GetTickCount();
}

void sleepMilliseconds(uint32_t milliseconds) {
    Sleep(milliseconds);
}

int32_t getDoubleClickTime() {
    return static_cast<int32_t>(GetDoubleClickTime());
}

void pumpOnePaintMessage() {
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
}

void beginThreadServices() {
    const HRESULT result = OleInitialize(nullptr);
    oleSucceeded = (oleSucceeded << 1) | (SUCCEEDED(result) ? 1u : 0u);
    ++oleDepth;
}

void endThreadServices() {
    if (oleDepth <= 0) return;
    --oleDepth;
    const bool succeeded = (oleSucceeded & 1u) != 0;
    oleSucceeded >>= 1;
    if (succeeded) OleUninitialize();
}

bool findBitmapResource(int32_t id, const uint8_t** data, size_t* size) {
    if (!data || !size || id < 0 || id > 0xFFFF) return false;
    // The module's own BITMAP resource: a packed device-independent bitmap.
    HINSTANCE module = win32::moduleHandle();
    if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2))) {
        HGLOBAL loaded = LoadResource(module, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (bytes) {
            *data = static_cast<const uint8_t*>(bytes);
            *size = SizeofResource(module, found);
            return true;
        }
    }
    const EmbeddedBitmap* embedded = findEmbeddedBitmap(id);
    if (!embedded) return false;
    *data = embedded->data;
    *size = embedded->size;
    return true;
}

}  // namespace platform
}  // namespace brindlet
