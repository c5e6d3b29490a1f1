// brindlet.so's editor inside a real X11 host window under Xvfb, driven with XTest input while
// another thread processes audio.
// gtest first: Xlib's macros (None, Bool, Status) clash with its templates.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <functional>
#include <thread>

#include "engine/ParameterIndex.h"
#include "tests/module/ModuleTestSupport.h"

// clang-format off
#include "tests/support/x11/XvfbServer.h"
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo.h>
#include <dirent.h>
// clang-format on

namespace brindlet::test {
namespace {

constexpr int kHostX = 30;  // where the host's window sits on the screen
constexpr int kHostY = 40;

XvfbServer& server() {
    static XvfbServer* s = new XvfbServer;
    return *s;
}

int openFdCount() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

std::string picturePath(const std::string& name) {
    return std::string(BRINDLET_BUILD_DIR) + "/pictures/x11/" + name + ".png";
}

// The window's pixels as the screen shows them, written as PNG.
bool saveWindowPng(Display* d, Window w, const std::string& path) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a)) return false;
    XImage* image = XGetImage(d, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!image) return false;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, a.width, a.height);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < a.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < a.width; ++x) row[x] = XGetPixel(image, x, y) & 0xffffff;
    }
    cairo_surface_mark_dirty(s);
    XDestroyImage(image);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

// Real pointer and keys through XTest on a connection of the user's own.
class User {
public:
    User() : d(XOpenDisplay(server().name.c_str())) {}
    ~User() {
        if (d) XCloseDisplay(d);
    }
    void move(int x, int y) {
        XTestFakeMotionEvent(d, -1, kHostX + x, kHostY + y, CurrentTime);
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
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
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
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    Display* d;
};

class X11EditorTest : public ModuleTest {
public:
    void SetUp() override {
        ASSERT_TRUE(server().display) << "no Xvfb";
        ModuleTest::SetUp();
        plugin->start(44100.0f, 256);
        d = server().display;
        ERect* rect = nullptr;
        dispatch(effEditGetRect, 0, 0, &rect);
        ASSERT_TRUE(rect);
        width = rect->right - rect->left;
        height = rect->bottom - rect->top;
        host = XCreateSimpleWindow(d, DefaultRootWindow(d), kHostX, kHostY, width, height, 0, 0,
                                   0x202020);
        XMapWindow(d, host);
        XSync(d, False);
        audio = std::thread([this] {
            StereoBuffer in(256, 0.1f), out(256);
            while (!stopAudio.load()) {
                plugin->processReplacing(in.channels(), out.channels(), 256);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    void TearDown() override {
        stopAudio.store(true);
        if (audio.joinable()) audio.join();
        if (opened) dispatch(effEditClose);
        if (host) XDestroyWindow(d, host);
        XSync(d, False);
        ModuleTest::TearDown();
    }

    void openEditor() {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
        opened = true;
        idle(10);
    }
    void idle(int times) {
        for (int k = 0; k < times; ++k) {
            dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    // Idles every 20 ms while the user acts from another thread, as a host's message loop does.
    void whileIdling(const std::function<void(User&)>& act) {
        std::atomic<bool> done{false};
        std::thread user([&] {
            User u;
            act(u);
            done.store(true);
        });
        while (!done.load()) idle(1);
        user.join();
        idle(5);
    }
    std::vector<int32_t> opcodes() {
        std::vector<int32_t> out;
        for (const HostRequest& r : host_requests()) out.push_back(r.opcode);
        return out;
    }
    std::vector<HostRequest> host_requests() { return ModuleTest::host.requests(); }
    Window child() {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        XQueryTree(d, host, &root, &parent, &children, &n);
        const Window first = n ? children[0] : 0;
        if (children) XFree(children);
        return n == 1 ? first : 0;
    }

    Display* d = nullptr;
    Window host = 0;
    int width = 0, height = 0;
    bool opened = false;
    std::thread audio;
    std::atomic<bool> stopAudio{false};
};

TEST_F(X11EditorTest, OpensAsTheOnlyChildOfTheHostWindowAndPaintsThePanel) {
    openEditor();
    const Window w = child();
    ASSERT_NE(w, 0u);
    XWindowAttributes a;
    XGetWindowAttributes(d, w, &a);
    EXPECT_EQ(a.width, width);
    EXPECT_EQ(a.height, height);
    EXPECT_EQ(a.map_state, IsViewable);
    ASSERT_TRUE(saveWindowPng(d, host, picturePath("editor-in-host")));
    // The panel is painted: not the host's plain background colour everywhere.
    XImage* image = XGetImage(d, host, 0, 0, width, height, AllPlanes, ZPixmap);
    int painted = 0;
    for (int y = 0; y < height; y += 7)
        for (int x = 0; x < width; x += 7) painted += (XGetPixel(image, x, y) & 0xffffff) != 0x202020;
    XDestroyImage(image);
    EXPECT_GT(painted, (width / 7) * (height / 7) / 2);
    dispatch(effEditClose);
    opened = false;
    XSync(d, False);
    EXPECT_EQ(child(), 0u);
}

TEST_F(X11EditorTest, DraggingPitchStartAutomatesBetweenBeginAndEndEdit) {
    openEditor();
    const float before = plugin->getParameter(kPitchStart);
    ModuleTest::host.clearRequests();
    whileIdling([](User& u) { u.drag(160, 94, 160, 50); });
    const auto requests = host_requests();
    std::vector<int32_t> edits;
    int automated = 0;
    for (const HostRequest& r : requests) {
        if (r.opcode == audioMasterBeginEdit || r.opcode == audioMasterEndEdit) edits.push_back(r.opcode);
        if (r.opcode == audioMasterAutomate && r.index == kPitchStart) ++automated;
    }
    ASSERT_EQ(edits, (std::vector<int32_t>{audioMasterBeginEdit, audioMasterEndEdit}));
    EXPECT_GT(automated, 0);
    EXPECT_NE(plugin->getParameter(kPitchStart), before);
    saveWindowPng(d, host, picturePath("after-drag"));
}

TEST_F(X11EditorTest, WheelAndPresetButtonChangeParameters) {
    openEditor();
    const float before = plugin->getParameter(kPitchEnd);
    whileIdling([](User& u) {
        u.move(297, 94);
        u.button(4, true);
        u.button(4, false);
    });
    EXPECT_NE(plugin->getParameter(kPitchEnd), before);

    plugin->setParameter(kPitchStart, 0.0f);
    whileIdling([](User& u) { u.click(80 + 47 * 2 + 15, 330); });
    EXPECT_NE(plugin->getParameter(kPitchStart), 0.0f);
}

TEST_F(X11EditorTest, ModifiersAndReleaseOutsideShapeTheSliderGesture) {
    openEditor();
    const float initial = plugin->getParameter(kPitchStart);
    whileIdling([](User& u) { u.drag(160, 94, 160, 74); });
    const float plain = plugin->getParameter(kPitchStart);

    plugin->setParameter(kPitchStart, initial);
    idle(3);
    whileIdling([](User& u) {
        u.key(XK_Shift_L, true);
        u.drag(160, 94, 160, 74);
        u.key(XK_Shift_L, false);
    });
    const float fine = plugin->getParameter(kPitchStart);
    EXPECT_NE(fine, initial);
    EXPECT_LT(std::fabs(fine - initial), std::fabs(plain - initial) / 2);

    // Control-click puts the default back without an edit bracket.
    plugin->setParameter(kPitchStart, 0.1f);
    idle(3);
    ModuleTest::host.clearRequests();
    whileIdling([](User& u) {
        u.key(XK_Control_L, true);
        u.click(160, 94);
        u.key(XK_Control_L, false);
    });
    EXPECT_EQ(plugin->getParameter(kPitchStart), initial);
    for (int32_t op : opcodes()) EXPECT_NE(op, audioMasterBeginEdit);

    // Released far above the window: the gesture ends with the value at the top.
    ModuleTest::host.clearRequests();
    whileIdling([](User& u) { u.drag(160, 94, 160, -35); });
    EXPECT_EQ(plugin->getParameter(kPitchStart), 1.0f);
    const auto ops = opcodes();
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(std::count(ops.begin(), ops.end(), audioMasterEndEdit), 1);
}

TEST_F(X11EditorTest, RatioSwitchAndOnOffButtonsSetTheirParameters) {
    openEditor();
    whileIdling([](User& u) { u.click(346, 44 + 13 * 3 + 6); });  // "1/2"
    const float half = plugin->getParameter(kPitchEnd);
    whileIdling([](User& u) { u.click(346, 44 + 13 * 7 + 6); });  // "1/8"
    const float eighth = plugin->getParameter(kPitchEnd);
    EXPECT_LT(eighth, half);

    plugin->setParameter(kTrigMode, 0.0f);
    idle(3);
    whileIdling([](User& u) { u.click(222, 296); });  // the switch's last position
    EXPECT_GT(plugin->getParameter(kTrigMode), 0.9f);

    const float slope = plugin->getParameter(kSlopeOff);
    whileIdling([](User& u) { u.click(111, 91); });
    EXPECT_NE(plugin->getParameter(kSlopeOff), slope);
    saveWindowPng(d, host, picturePath("after-buttons"));
}

TEST_F(X11EditorTest, TypingIntoTheEndEntryCommitsOnEnterAndOnFocusLoss) {
    openEditor();
    const float before = plugin->getParameter(kPitchEnd);
    whileIdling([](User& u) {
        u.click(405, 136);
        for (KeySym k : {XK_0, XK_period, XK_2, XK_5}) u.type(k);
    });
    // The field is an extra window over the frame while it is open.
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    XQueryTree(d, child(), &root, &parent, &children, &n);
    if (children) XFree(children);
    EXPECT_EQ(n, 1u);
    saveWindowPng(d, host, picturePath("end-entry-typing"));
    whileIdling([](User& u) { u.type(XK_Return); });
    const float afterEnter = plugin->getParameter(kPitchEnd);
    EXPECT_NE(afterEnter, before);

    whileIdling([](User& u) {
        u.click(405, 136);
        for (KeySym k : {XK_1, XK_period, XK_5}) u.type(k);
        u.click(60, 30);  // elsewhere in the frame
    });
    EXPECT_NE(plugin->getParameter(kPitchEnd), afterEnter);
    XQueryTree(d, child(), &root, &parent, &children, &n);
    if (children) XFree(children);
    EXPECT_EQ(n, 0u);
}

TEST_F(X11EditorTest, ParameterSetFromAnotherThreadIsRedrawnWithinAFewIdles) {
    openEditor();
    std::thread([this] { plugin->setParameter(kPitchStart, 1.0f); }).join();
    idle(3);
    XImage* top = XGetImage(d, host, 150, 34, 21, 121, AllPlanes, ZPixmap);
    std::thread([this] { plugin->setParameter(kPitchStart, 0.0f); }).join();
    idle(3);
    XImage* bottom = XGetImage(d, host, 150, 34, 21, 121, AllPlanes, ZPixmap);
    int differing = 0;
    for (int y = 0; y < 121; ++y)
        for (int x = 0; x < 21; ++x) differing += XGetPixel(top, x, y) != XGetPixel(bottom, x, y);
    XDestroyImage(top);
    XDestroyImage(bottom);
    EXPECT_GT(differing, 50);
}

TEST_F(X11EditorTest, HundredOpenCloseCyclesLeaveNoDescriptorsOrWindowsBehind) {
    openEditor();
    dispatch(effEditClose);
    opened = false;
    const int fds = openFdCount();
    for (int k = 0; k < 100; ++k) {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
        dispatch(effEditIdle);
        dispatch(effEditClose);
    }
    XSync(d, False);
    EXPECT_EQ(openFdCount(), fds);
    EXPECT_EQ(child(), 0u);
}

TEST_F(X11EditorTest, HostWindowDestroyedBeforeCloseEndsNothing) {
    openEditor();
    XDestroyWindow(d, host);
    XSync(d, False);
    host = 0;
    idle(5);  // the frame draws on and queries a window that is gone: X errors, counted
    dispatch(effEditClose);
    opened = false;
    SUCCEED();
}

TEST_F(X11EditorTest, WithoutAWindowOrADisplayOpenFailsQuietly) {
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(0x7fffff))), 0);
    const std::string saved = getenv("DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 0);
    setenv("DISPLAY", saved.c_str(), 1);
    dispatch(effEditIdle);
}

}  // namespace
}  // namespace brindlet::test
