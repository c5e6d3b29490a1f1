// A drag source speaking XDND version 5 on a connection of its own, as a file manager or text
// editor would: it finds the aware window under the drop point, offers types, reads the target's
// status, drops and serves the selection the target converts.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace brindlet::test {

struct DropOutcome {
    Window target = 0;  // the XdndAware window found under the point; 0 when none
    long awareVersion = 0;
    bool statusSeen = false;
    bool accepted = false;  // XdndStatus bit 0
    std::string statusAction;
    bool dataRequested = false;
    std::string requestedType;
    bool finished = false;  // XdndFinished arrived
    bool finishedAccepted = false;
    std::string finishedAction;
};

class XdndSource {
public:
    explicit XdndSource(const std::string& display) : d(XOpenDisplay(display.c_str())) {
        if (!d) return;
        window = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(d, window, PropertyChangeMask);
        XSync(d, False);
    }
    ~XdndSource() {
        if (!d) return;
        XDestroyWindow(d, window);
        XCloseDisplay(d);
    }
    XdndSource(const XdndSource&) = delete;
    XdndSource& operator=(const XdndSource&) = delete;

    // Drags `data`, offered as each of `types`, to the root position (x, y) and drops it there.
    // `idle` runs the target's side between the source's steps, as the host's loop would.
    DropOutcome drop(int x, int y, const std::vector<std::string>& types, const std::string& data,
                     const std::function<void()>& idle, bool dropEvenIfRefused = false) {
        DropOutcome out;
        if (!d) return out;
        offered = types;
        payload = data;
        out.target = awareWindowAt(x, y, out.awareVersion);
        if (!out.target) return out;

        std::vector<Atom> atoms;
        for (const std::string& t : types) atoms.push_back(atom(t.c_str()));
        XChangeProperty(d, window, atom("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(atoms.data()),
                        static_cast<int>(atoms.size()));
        XSetSelectionOwner(d, atom("XdndSelection"), window, CurrentTime);
        const bool many = atoms.size() > 3;
        send(out.target, "XdndEnter", (5L << 24) | (many ? 1 : 0),
             many || atoms.size() < 1 ? 0 : long(atoms[0]),
             many || atoms.size() < 2 ? 0 : long(atoms[1]),
             many || atoms.size() < 3 ? 0 : long(atoms[2]));
        send(out.target, "XdndPosition", 0, (long(x) << 16) | (y & 0xffff), CurrentTime,
             long(atom("XdndActionCopy")));
        run(idle, out, [&] { return out.statusSeen; });
        if (!out.accepted && !dropEvenIfRefused) {
            send(out.target, "XdndLeave", 0, 0, 0, 0);
            idle();
            return out;
        }
        send(out.target, "XdndDrop", 0, CurrentTime, 0, 0);
        run(idle, out, [&] { return out.finished; });
        return out;
    }

private:
    Atom atom(const char* name) { return XInternAtom(d, name, False); }
    std::string name(Atom a) {
        if (!a) return "";
        char* n = XGetAtomName(d, a);
        std::string s = n ? n : "";
        if (n) XFree(n);
        return s;
    }

    // The deepest window under the point carrying XdndAware, walking down from the root.
    Window awareWindowAt(int x, int y, long& version) {
        Window from = DefaultRootWindow(d), found = 0;
        for (int depth = 0; depth < 16; ++depth) {
            int wx = 0, wy = 0;
            Window child = 0;
            if (!XTranslateCoordinates(d, DefaultRootWindow(d), from, x, y, &wx, &wy, &child) ||
                !child) {
                break;
            }
            from = child;
            Atom type = 0;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(d, child, atom("XdndAware"), 0, 1, False, XA_ATOM, &type,
                                   &format, &count, &after, &data) == Success &&
                data && count == 1) {
                found = child;
                version = static_cast<long>(*reinterpret_cast<Atom*>(data));
            }
            if (data) XFree(data);
        }
        return found;
    }

    void send(Window to, const char* type, long l1, long l2, long l3, long l4) {
        XEvent e;
        std::memset(&e, 0, sizeof e);
        e.xclient.type = ClientMessage;
        e.xclient.window = to;
        e.xclient.message_type = atom(type);
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(window);
        e.xclient.data.l[1] = l1;
        e.xclient.data.l[2] = l2;
        e.xclient.data.l[3] = l3;
        e.xclient.data.l[4] = l4;
        XSendEvent(d, to, False, NoEventMask, &e);
        XFlush(d);
    }

    // Alternates the target's idle with the source's own events for up to two seconds.
    void run(const std::function<void()>& idle, DropOutcome& out,
             const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!done() && std::chrono::steady_clock::now() < end) {
            idle();
            XSync(d, False);
            while (XPending(d) > 0) {
                XEvent e;
                XNextEvent(d, &e);
                handle(e, out);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    void handle(XEvent& e, DropOutcome& out) {
        if (e.type == SelectionRequest) {
            serve(e.xselectionrequest, out);
            return;
        }
        if (e.type != ClientMessage) return;
        const XClientMessageEvent& m = e.xclient;
        if (m.message_type == atom("XdndStatus")) {
            out.statusSeen = true;
            out.accepted = (m.data.l[1] & 1) != 0;
            out.statusAction = name(static_cast<Atom>(m.data.l[4]));
        } else if (m.message_type == atom("XdndFinished")) {
            out.finished = true;
            out.finishedAccepted = (m.data.l[1] & 1) != 0;
            out.finishedAction = name(static_cast<Atom>(m.data.l[2]));
        }
    }

    void serve(const XSelectionRequestEvent& r, DropOutcome& out) {
        out.dataRequested = true;
        out.requestedType = name(r.target);
        XEvent reply;
        std::memset(&reply, 0, sizeof reply);
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = r.requestor;
        reply.xselection.selection = r.selection;
        reply.xselection.target = r.target;
        reply.xselection.time = r.time;
        reply.xselection.property = None;
        for (const std::string& t : offered) {
            if (atom(t.c_str()) != r.target || r.property == None) continue;
            XChangeProperty(d, r.requestor, r.property, r.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(payload.data()),
                            static_cast<int>(payload.size()));
            reply.xselection.property = r.property;
        }
        XSendEvent(d, r.requestor, False, NoEventMask, &reply);
        XFlush(d);
    }

    Display* d = nullptr;
    Window window = 0;
    std::vector<std::string> offered;
    std::string payload;
};

}  // namespace brindlet::test
