// Shared pieces of the window tests: the private Xvfb, a window's children and pixels, pictures
// for people to look at, and a user's pointer and keys through XTest.
// Include after gtest: Xlib's macros (None, Bool, Status) clash with its templates.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <cairo-xlib.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/x11/XvfbServer.h"

namespace brindlet::test {

// One server for the program, never torn down: a loaded module may still hold a connection to
// it at exit.
inline XvfbServer& server() {
    static XvfbServer* s = new XvfbServer;
    return *s;
}

inline void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

inline std::vector<Window> childrenOf(Display* d, Window w) {
    Window root = 0, parent = 0, *list = nullptr;
    unsigned int n = 0;
    std::vector<Window> out;
    if (XQueryTree(d, w, &root, &parent, &list, &n) && list) out.assign(list, list + n);
    if (list) XFree(list);
    return out;
}

// An area of `w` as the screen shows it, row by row, as 0xRRGGBB; empty when unreadable.
inline std::vector<uint32_t> windowPixels(Display* d, Window w, int x, int y, int width,
                                          int height) {
    std::vector<uint32_t> pixels;
    XImage* image = XGetImage(d, w, x, y, width, height, AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column)
            pixels.push_back(static_cast<uint32_t>(XGetPixel(image, column, row) & 0xffffff));
    }
    XDestroyImage(image);
    return pixels;
}

inline int countDifferences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int differing = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) differing += a[i] != b[i];
    return differing;
}

// Saves the window as the screen shows it to <build>/pictures/x11/<name>.png.
inline bool saveWindowPng(Display* d, Window w, const std::string& name) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a)) return false;
    cairo_surface_t* s = cairo_xlib_surface_create(d, w, a.visual, a.width, a.height);
    const std::string path = std::string(BRINDLET_BUILD_DIR) + "/pictures/x11/" + name + ".png";
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

// Real pointer and keys through XTest on a connection of the user's own, at positions relative
// to a host window's place on the screen.
class User {
public:
    explicit User(int originX = 0, int originY = 0)
        : d(XOpenDisplay(server().name.c_str())), originX(originX), originY(originY) {}
    ~User() {
        if (d) XCloseDisplay(d);
    }
    User(const User&) = delete;
    User& operator=(const User&) = delete;

    void move(int x, int y) {
        XTestFakeMotionEvent(d, -1, originX + x, originY + y, CurrentTime);
        settle();
    }
    void button(unsigned int b, bool down) {
        XTestFakeButtonEvent(d, b, down, CurrentTime);
        settle();
    }
    // Held for a few idles, as a hand does: the controls read the button state when the
    // host's next idle delivers the press.
    void click(int x, int y, unsigned int b = 1) {
        move(x, y);
        button(b, true);
        pause(80);
        button(b, false);
    }
    void key(KeySym sym, bool down) {
        XTestFakeKeyEvent(d, XKeysymToKeycode(d, sym), down, CurrentTime);
        settle();
    }
    void type(KeySym sym) {
        key(sym, true);
        key(sym, false);
    }
    void drag(int x, int y, int toX, int toY) {
        move(x, y);
        button(1, true);
        for (int k = 1; k <= 8; ++k) move(x + (toX - x) * k / 8, y + (toY - y) * k / 8);
        button(1, false);
    }
    void settle() {
        XSync(d, False);
        pause(15);
    }

    Display* const d;

private:
    const int originX, originY;
};

}  // namespace brindlet::test
