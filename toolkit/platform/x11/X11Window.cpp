// X11 frame windows: a child of the host's window on a display connection of its own, its events,
// its cairo surface and the one-paint pump.
#include <X11/Xutil.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include "toolkit/platform/cairo/CairoTypes.h"
#include "toolkit/platform/x11/X11State.h"

namespace brindlet {

namespace x11 {

namespace {

int32_t errors = 0;

int countError(Display*, XErrorEvent*) {
    ++errors;
    return 0;
}

void registerClass(Display* display) {
    WindowClass& c = state().windowClass;
    if (c.users++ > 0) return;
    char name[64];
    std::snprintf(name, sizeof name, "Brindlet%p", static_cast<void*>(&c));
    c.name = name;
    unsigned char map[8] = {};
    const int n = XGetPointerMapping(display, map, 8);
    c.buttonsSwapped = n >= 3 && map[0] == 3 && map[2] == 1;
}

void releaseClass() {
    WindowClass& c = state().windowClass;
    if (--c.users > 0) return;
    c.users = 0;
    c.name.clear();
}

Rect exposed(const XExposeEvent& e) {
    return Rect(e.x, e.y, e.x + e.width, e.y + e.height);
}

void addDamage(NativeWindow* w, const Rect& r) {
    if (!w->damaged) {
        w->damage = r;
        w->damaged = true;
        return;
    }
    w->damage = Rect(std::min(w->damage.left, r.left), std::min(w->damage.top, r.top),
                     std::max(w->damage.right, r.right), std::max(w->damage.bottom, r.bottom));
}

void paint(NativeWindow* w) {
    const Rect update = w->damage;
    w->damaged = false;
    if (!w->events || w->destroyedOutside || !w->surface) return;
    cairo_t* cr = w->surface->cr;
    cairo_save(cr);
    cairo_rectangle(cr, update.left, update.top, update.width(), update.height());
    cairo_clip(cr);
    w->events->paintRequested(w->surface, update);
    cairo_restore(cr);
    cairo_surface_flush(w->surface->surface);
    XFlush(w->display);
}

void pressed(NativeWindow* w, const XButtonEvent& b) {
    if (!w->events || w->destroyedOutside) return;
    const Point where(b.x, b.y);
    if (b.button >= Button1 && b.button <= Button3) {
        w->events->buttonPressed(w->surface, where);
    } else if (b.button == Button4 || b.button == Button5) {
        w->events->wheelTurned(where, b.button == Button4 ? 1.0f : -1.0f);
    }
}

// One event of the frame window; false once the window is gone.
bool handle(NativeWindow* w, XEvent& e) {
    if (NativeEditField* field = fieldOfWindow(e.xany.window)) {
        handleFieldEvent(field, e);
        return isOpenWindow(w);
    }
    if (handleDropEvent(w->display, w->window, w->drop, e,
                        w->destroyedOutside ? nullptr : w->events)) {
        return isOpenWindow(w);
    }
    switch (e.type) {
        case Expose:
            if (e.xexpose.window == w->window) addDamage(w, exposed(e.xexpose));
            break;
        case ButtonPress:
            if (e.xbutton.window == w->window) pressed(w, e.xbutton);
            break;
        case DestroyNotify:
            if (e.xdestroywindow.window == w->window && !w->destroyedOutside) {
                w->destroyedOutside = true;
                if (w->events) w->events->windowDestroyed();
            }
            break;
        default:
            break;
    }
    return isOpenWindow(w);
}

}  // namespace

State& state() {
    static State s;
    return s;
}

bool isOpenWindow(NativeWindow* window) {
    const auto& windows = state().windows;
    return window && std::find(windows.begin(), windows.end(), window) != windows.end();
}

ErrorTrap::ErrorTrap() : previous(XSetErrorHandler(countError)) {}
ErrorTrap::~ErrorTrap() {
    XSetErrorHandler(previous);
}

int32_t errorCount() {
    return errors;
}

}  // namespace x11

namespace platform {

namespace {

NativeWindow* openWindow(Display* display, Window parent, int32_t width, int32_t height) {
    x11::ErrorTrap trap;
    const int32_t before = x11::errorCount();
    XWindowAttributes parentAttributes;
    if (!XGetWindowAttributes(display, parent, &parentAttributes)) return nullptr;
    XSetWindowAttributes a{};
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    a.background_pixmap = None;
    const Window window =
        XCreateWindow(display, parent, 0, 0, std::max(width, 1), std::max(height, 1), 0,
                      CopyFromParent, InputOutput, CopyFromParent, CWEventMask | CWBackPixmap, &a);
    XSync(display, False);
    if (!window || x11::errorCount() != before) return nullptr;
    NativeWindow* w = new (std::nothrow) NativeWindow;
    if (!w) {
        XDestroyWindow(display, window);
        return nullptr;
    }
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    w->display = display;
    w->parent = parent;
    w->window = window;
    w->visual = attributes.visual;
    w->width = width;
    w->height = height;
    w->wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    cairo_surface_t* s = cairo_xlib_surface_create(display, window, w->visual, std::max(width, 1),
                                                   std::max(height, 1));
    w->surface = cairo_backend::wrapSurface(s, width, height);
    cairo_surface_destroy(s);
    XMapWindow(display, window);
    XSync(display, False);
    return w;
}

// cairo keeps the shared-memory records of images the server may still be reading in a queue it
// empties only when it next makes such an image, and finishing the device frees the queue but
// not the records: a few hundred bytes lost with every window. Once the server has caught up,
// making one small image empties the queue.
void releaseSharedImageRecords(Display* display) {
    cairo_surface_t* root = cairo_xlib_surface_create(
        display, DefaultRootWindow(display), DefaultVisual(display, DefaultScreen(display)), 1, 1);
    cairo_surface_destroy(cairo_surface_create_similar_image(root, CAIRO_FORMAT_ARGB32, 64, 64));
    cairo_surface_destroy(root);
}

}  // namespace

NativeWindow* createFrameWindow(void* parent, int32_t width, int32_t height, WindowEvents* events) {
    if (!parent || width < 0 || height < 0) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    NativeWindow* w = openWindow(display, static_cast<Window>(reinterpret_cast<uintptr_t>(parent)),
                                 width, height);
    if (!w || !w->surface) {
        if (w) {
            destroySurface(w->surface);
            XDestroyWindow(display, w->window);
            delete w;
        }
        XCloseDisplay(display);
        return nullptr;
    }
    w->events = events;
    x11::registerClass(display);
    XClassHint hint{const_cast<char*>(x11::state().windowClass.name.c_str()),
                    const_cast<char*>("Brindlet")};
    XSetClassHint(display, w->window, &hint);
    x11::state().windows.push_back(w);
    return w;
}

void destroyFrameWindow(NativeWindow* window) {
    if (!x11::isOpenWindow(window)) return;
    auto& windows = x11::state().windows;
    x11::destroyFieldsOf(window);
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
    Display* display = window->display;
    // cairo keeps per-display state (glyph caches, screens) in its device: finished before the
    // display goes, or it outlives the connection it belongs to.
    cairo_device_t* device = cairo_device_reference(cairo_surface_get_device(window->surface->surface));
    {
        x11::ErrorTrap trap;
        destroySurface(window->surface);
        if (!window->destroyedOutside) XDestroyWindow(display, window->window);
        XSync(display, True);
        releaseSharedImageRecords(display);
        cairo_device_finish(device);
        cairo_device_destroy(device);
    }
    x11::releaseClass();
    XCloseDisplay(display);
    delete window;
}

bool registerDropTarget(NativeWindow* window) {
    if (!x11::isOpenWindow(window) || window->destroyedOutside) return false;
    x11::ErrorTrap trap;
    x11::announceDropTarget(window->display, window->window);
    XFlush(window->display);
    window->dropRegistered = true;
    return true;
}

void revokeDropTarget(NativeWindow* window) {
    if (!x11::isOpenWindow(window) || !window->dropRegistered) return;
    window->dropRegistered = false;
    if (window->destroyedOutside) return;
    x11::ErrorTrap trap;
    x11::withdrawDropTarget(window->display, window->window);
}

NativeSurface* beginWindowDrawing(NativeWindow* window) {
    return (x11::isOpenWindow(window) && !window->destroyedOutside) ? window->surface : nullptr;
}

void endWindowDrawing(NativeWindow* window, NativeSurface* surface) {
    if (!x11::isOpenWindow(window) || !surface) return;
    cairo_surface_flush(surface->surface);
    XFlush(window->display);
}

Point getWindowOrigin(NativeWindow* window) {
    if (!x11::isOpenWindow(window) || window->destroyedOutside) return Point();
    x11::ErrorTrap trap;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(window->display, window->window, DefaultRootWindow(window->display), 0, 0,
                          &x, &y, &child);
    return Point(x, y);
}

void dispatchWindowEvents(NativeWindow* window) {
    if (!x11::isOpenWindow(window)) return;
    x11::ErrorTrap trap;
    while (XPending(window->display) > 0) {
        XEvent e;
        XNextEvent(window->display, &e);
        if (!x11::handle(window, e)) return;
    }
    if (window->damaged) x11::paint(window);
}

void pumpOnePaintMessage() {
    x11::ErrorTrap trap;
    for (NativeWindow* w : x11::state().windows) {
        XEvent e;
        while (XCheckTypedWindowEvent(w->display, w->window, Expose, &e)) {
            x11::addDamage(w, x11::exposed(e.xexpose));
        }
    }
    for (NativeWindow* w : x11::state().windows) {
        if (w->damaged) {
            x11::paint(w);
            return;
        }
    }
}

}  // namespace platform
}  // namespace brindlet
