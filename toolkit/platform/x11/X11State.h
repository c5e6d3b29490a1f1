// The X11 backend's objects: frame windows with their own display connection, edit fields, and the
// module-wide window-class bookkeeping.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/platform/Platform.h"
#include "toolkit/platform/x11/XdndTarget.h"

namespace brindlet {

struct NativeWindow {
    Display* display = nullptr;
    Window parent = 0;
    Window window = 0;
    Visual* visual = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    WindowEvents* events = nullptr;
    NativeSurface* surface = nullptr;  // cairo on the window, kept while the window lives
    Rect damage;                       // coalesced exposed area waiting for a paint
    bool damaged = false;
    bool destroyedOutside = false;
    bool dropRegistered = false;
    x11::XdndTarget drop;
    Atom wmDeleteWindow = 0;
};

struct NativeEditField {
    NativeWindow* owner = nullptr;
    EditFieldEvents* events = nullptr;
    Window window = 0;
    EditFieldSpec spec;
    std::string text;
    NativeFont* font = nullptr;
    NativeSurface* surface = nullptr;
    size_t caret = 0;
    bool allSelected = true;
    bool focused = true;
};

namespace x11 {

// What the module registers once for all its windows, named after the module instance.
struct WindowClass {
    std::string name;
    int32_t users = 0;
    bool buttonsSwapped = false;
};

struct State {
    WindowClass windowClass;
    std::vector<NativeWindow*> windows;
    std::vector<NativeEditField*> fields;
    int32_t threadServicesDepth = 0;
};

State& state();
bool isOpenWindow(NativeWindow* window);
// Counts X errors instead of ending the process while our own calls run; restores the previous
// handler when it goes out of scope.
class ErrorTrap {
public:
    ErrorTrap();
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

private:
    int (*previous)(Display*, XErrorEvent*) = nullptr;
};
// X errors counted since the module was loaded.
int32_t errorCount();

// Edit field hooks for the window's event dispatch.
NativeEditField* fieldOfWindow(Window window);
void handleFieldEvent(NativeEditField* field, XEvent& event);
void destroyFieldsOf(NativeWindow* window);
bool isOpenField(NativeEditField* field);

}  // namespace x11
}  // namespace brindlet
