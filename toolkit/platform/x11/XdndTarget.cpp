// XDND drop target: enter, position, drop and leave, and the selection conversion that fetches
// the dropped data.
#include "toolkit/platform/x11/XdndTarget.h"

#include <X11/Xatom.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "toolkit/platform/Platform.h"
#include "toolkit/platform/x11/DropList.h"

namespace brindlet::x11 {

namespace {

constexpr long kVersion = 5;

Atom atom(Display* d, const char* name) {
    return XInternAtom(d, name, False);
}

// Files first: a file list from a file manager is the richer offer.
int32_t typeOf(Display* d, Atom type) {
    if (type == atom(d, "text/uri-list")) return 0;
    if (type == atom(d, "text/plain;charset=utf-8") || type == atom(d, "UTF8_STRING") ||
        type == atom(d, "text/plain")) {
        return 1;
    }
    return -1;
}

int rank(Display* d, Atom type) {
    const char* order[] = {"text/uri-list", "text/plain;charset=utf-8", "UTF8_STRING",
                           "text/plain"};
    for (int i = 0; i < 4; ++i) {
        if (type == atom(d, order[i])) return i;
    }
    return 99;
}

std::vector<Atom> offeredTypes(Display* d, const XClientMessageEvent& m) {
    std::vector<Atom> types;
    if (m.data.l[1] & 1) {
        Atom actual = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, static_cast<Window>(m.data.l[0]), atom(d, "XdndTypeList"), 0,
                               1024, False, XA_ATOM, &actual, &format, &count, &after,
                               &data) == Success &&
            data && format == 32) {
            const Atom* list = reinterpret_cast<const Atom*>(data);
            types.assign(list, list + count);
        }
        if (data) XFree(data);
    } else {
        for (int i = 2; i <= 4; ++i) {
            if (m.data.l[i]) types.push_back(static_cast<Atom>(m.data.l[i]));
        }
    }
    return types;
}

void send(Display* d, Window to, Window self, const char* name, long l1, long l2, long l3,
          long l4) {
    XEvent e;
    std::memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.display = d;
    e.xclient.window = to;
    e.xclient.message_type = atom(d, name);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(self);
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(d, to, False, NoEventMask, &e);
    XFlush(d);
}

bool controlHeld(Display* d, Window window) {
    Window root = 0, child = 0;
    int rx = 0, ry = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(d, window, &root, &child, &rx, &ry, &x, &y, &mask);
    return (mask & ControlMask) != 0;
}

std::string resolved(const std::string& path) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    return error ? path : real.string();
}

// False when there was nothing to hand over: no local file, or empty text.
bool deliver(const unsigned char* data, size_t size, const XdndTarget& target,
             WindowEvents* events) {
    if (!events) return false;
    if (target.dropType == 0) {
        std::vector<std::string> files = parseUriList(reinterpret_cast<const char*>(data), size);
        if (files.empty()) return false;
        std::vector<void*> items;
        for (std::string& f : files) {
            f = resolved(f);
            items.push_back(f.data());
        }
        events->dropped(items.data(), static_cast<int32_t>(items.size()), 0, target.where);
        return true;
    }
    if (size == 0) return false;
    std::vector<char> block(size + 1, '\0');
    if (size) std::memcpy(block.data(), data, size);
    void* items[1] = {block.data()};
    events->dropped(items, static_cast<int32_t>(block.size()), 1, target.where);
    return true;
}

void onEnter(Display* d, XdndTarget& t, const XClientMessageEvent& m) {
    t = XdndTarget();
    if ((m.data.l[1] >> 24) > kVersion) return;
    t.source = static_cast<Window>(m.data.l[0]);
    for (Atom type : offeredTypes(d, m)) {
        if (typeOf(d, type) >= 0 && (!t.chosenType || rank(d, type) < rank(d, t.chosenType))) {
            t.chosenType = type;
        }
    }
    if (t.chosenType) t.dropType = typeOf(d, t.chosenType);
}

void onPosition(Display* d, Window self, XdndTarget& t, const XClientMessageEvent& m) {
    const int rootX = static_cast<int>((m.data.l[2] >> 16) & 0xffff);
    const int rootY = static_cast<int>(m.data.l[2] & 0xffff);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(d, DefaultRootWindow(d), self, rootX, rootY, &x, &y, &child);
    t.where = Point(x, y);
    t.source = static_cast<Window>(m.data.l[0]);
    const bool accept = t.chosenType != 0;
    t.action = controlHeld(d, self) ? atom(d, "XdndActionCopy") : atom(d, "XdndActionMove");
    send(d, t.source, self, "XdndStatus", accept ? 3 : 0, 0, 0,
         accept ? static_cast<long>(t.action) : 0);
}

void onDrop(Display* d, Window self, XdndTarget& t, const XClientMessageEvent& m) {
    t.source = static_cast<Window>(m.data.l[0]);
    if (!t.chosenType) {
        send(d, t.source, self, "XdndFinished", 0, 0, 0, 0);
        return;
    }
    XConvertSelection(d, atom(d, "XdndSelection"), t.chosenType, atom(d, "BRINDLET_DROP"), self,
                      static_cast<Time>(m.data.l[2]));
    XFlush(d);
}

void onSelection(Display* d, Window self, XdndTarget& t, const XSelectionEvent& s,
                 WindowEvents* events) {
    bool done = false;
    if (s.property != None) {
        Atom actual = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, self, s.property, 0, 1 << 20, True, AnyPropertyType, &actual,
                               &format, &count, &after, &data) == Success &&
            data && format == 8) {
            done = deliver(data, count, t, events);
        }
        if (data) XFree(data);
    }
    if (t.source) {
        send(d, t.source, self, "XdndFinished", done ? 1 : 0,
             done ? static_cast<long>(t.action) : 0, 0, 0);
    }
    t = XdndTarget();
}

}  // namespace

void announceDropTarget(Display* display, Window window) {
    const Atom version = kVersion;
    XChangeProperty(display, window, atom(display, "XdndAware"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
}

void withdrawDropTarget(Display* display, Window window) {
    XDeleteProperty(display, window, atom(display, "XdndAware"));
}

bool handleDropEvent(Display* d, Window self, XdndTarget& t, const XEvent& event,
                     WindowEvents* events) {
    if (event.type == SelectionNotify) {
        if (event.xselection.selection != atom(d, "XdndSelection")) return false;
        onSelection(d, self, t, event.xselection, events);
        return true;
    }
    if (event.type != ClientMessage) return false;
    const XClientMessageEvent& m = event.xclient;
    if (m.message_type == atom(d, "XdndEnter")) {
        onEnter(d, t, m);
    } else if (m.message_type == atom(d, "XdndPosition")) {
        onPosition(d, self, t, m);
    } else if (m.message_type == atom(d, "XdndDrop")) {
        onDrop(d, self, t, m);
    } else if (m.message_type == atom(d, "XdndLeave")) {
        t = XdndTarget();
    } else {
        return false;
    }
    return true;
}

}  // namespace brindlet::x11
