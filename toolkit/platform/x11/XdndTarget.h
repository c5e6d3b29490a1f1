// The XDND (version 5) drop target of a frame window: the conversation with the drag source.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

#include "toolkit/core/Geometry.h"

namespace brindlet {
class WindowEvents;
}

namespace brindlet::x11 {

struct XdndTarget {
    Atom chosenType = 0;  // 0 while nothing usable is offered
    int32_t dropType = 0;
    Window source = 0;
    Point where;
    Atom action = 0;
};

// Marks the window as a drop target.
void announceDropTarget(Display* display, Window window);
void withdrawDropTarget(Display* display, Window window);
// Handles an Xdnd client message or the selection it asked for; false for other events.
bool handleDropEvent(Display* display, Window window, XdndTarget& target, const XEvent& event,
                     WindowEvents* events);

}  // namespace brindlet::x11
