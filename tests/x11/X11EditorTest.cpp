// brindlet.so's editor inside a real X11 host window under Xvfb, driven with XTest input while
// another thread processes audio, and what goes wrong around it: X errors of its own making,
// windows destroyed behind its back, two editors at once, drops while the edit field is open.
// gtest first: Xlib's macros (None, Bool, Status) clash with its templates.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <thread>

#include "engine/ParameterIndex.h"
#include "tests/module/ModuleTestSupport.h"

// clang-format off
#include "XdndSource.h"
#include "tests/x11/X11TestSupport.h"
#include <X11/keysym.h>
// clang-format on

namespace brindlet::test {
namespace {

constexpr int kHostX = 30;  // where the host's window sits on the screen
constexpr int kHostY = 40;
constexpr unsigned long kHostBackground = 0x202020;

// The host's own error handler: counts what reaches it, per connection.
Display* hostDisplay = nullptr;
int hostErrors = 0;
int foreignErrors = 0;
int hostHandler(Display* d, XErrorEvent*) {
    ++(d == hostDisplay ? hostErrors : foreignErrors);
    return 0;
}
using ErrorHandler = int (*)(Display*, XErrorEvent*);
ErrorHandler installedHandler() {
    const ErrorHandler current = XSetErrorHandler(nullptr);
    XSetErrorHandler(current);
    return current;
}

Window hostWindow(Display* d, int x, int y, int width, int height) {
    const Window w =
        XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, width, height, 0, 0, kHostBackground);
    XMapWindow(d, w);
    XSync(d, False);
    return w;
}

// Share of sampled pixels in an area of `w` that are not the host's background.
double paintedShare(Display* d, Window w, int left, int top, int right, int bottom) {
    const int width = right - left;
    const std::vector<uint32_t> pixels = windowPixels(d, w, left, top, width, bottom - top);
    int painted = 0, all = 0;
    for (int y = 0; y < bottom - top && !pixels.empty(); y += 5) {
        for (int x = 0; x < width; x += 5, ++all)
            painted += pixels[y * width + x] != kHostBackground;
    }
    return all ? double(painted) / all : 0.0;
}

class X11EditorTest : public ModuleTest {
public:
    void SetUp() override {
        ASSERT_TRUE(server().display) << "no Xvfb";
        ModuleTest::SetUp();
        plugin->start(44100.0f, 256);
        d = hostDisplay = server().display;
        hostErrors = foreignErrors = 0;
        previousHandler = XSetErrorHandler(hostHandler);
        ERect* rect = nullptr;
        dispatch(effEditGetRect, 0, 0, &rect);
        ASSERT_TRUE(rect);
        width = rect->right - rect->left;
        height = rect->bottom - rect->top;
        host = hostWindow(d, kHostX, kHostY, width, height);
        audio = std::thread([this] {
            StereoBuffer in(256, 0.1f), out(256);
            while (!stopAudio.load()) {
                plugin->processReplacing(in.channels(), out.channels(), 256);
                pause(5);
            }
        });
    }
    void TearDown() override {
        stopAudio.store(true);
        if (audio.joinable()) audio.join();
        if (opened) dispatch(effEditClose);
        if (host) XDestroyWindow(d, host);
        XSync(d, False);
        XSetErrorHandler(previousHandler);
        ModuleTest::TearDown();
    }

    void openEditor() {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
        opened = true;
        idle(10);
    }
    void closeEditor() {
        dispatch(effEditClose);
        opened = false;
    }
    void idle(int times) {
        for (int k = 0; k < times; ++k) {
            dispatch(effEditIdle);
            pause(20);
        }
    }
    // Idles every 20 ms while the user acts from another thread, as a host's message loop does.
    void whileIdling(const std::function<void(User&)>& act) {
        std::atomic<bool> done{false};
        std::thread user([&] {
            User u(kHostX, kHostY);
            act(u);
            done.store(true);
        });
        while (!done.load()) idle(1);
        user.join();
        idle(5);
    }
    Window child() {
        const std::vector<Window> children = childrenOf(d, host);
        return children.size() == 1 ? children[0] : 0;
    }

    Display* d = nullptr;
    Window host = 0;
    int width = 0, height = 0;
    bool opened = false;
    std::thread audio;
    std::atomic<bool> stopAudio{false};
    ErrorHandler previousHandler = nullptr;
};

// Hidden and shown again, the host's window is painted whole by the next idle, 100 ms later.
TEST_F(X11EditorTest, OpensAsTheOnlyChildOfTheHostWindowAndPaintsThePanel) {
    openEditor();
    const Window w = child();
    ASSERT_NE(w, 0u);
    XWindowAttributes a;
    XGetWindowAttributes(d, w, &a);
    EXPECT_EQ(a.width, width);
    EXPECT_EQ(a.height, height);
    EXPECT_EQ(a.map_state, IsViewable);
    ASSERT_TRUE(saveWindowPng(d, host, "editor-in-host"));
    EXPECT_GT(paintedShare(d, host, 0, 0, width, height), 0.5);

    XUnmapWindow(d, host);
    XSync(d, False);
    XMapWindow(d, host);
    XSync(d, False);
    pause(100);
    dispatch(effEditIdle);
    XSync(d, False);
    EXPECT_GT(paintedShare(d, host, 0, 0, width, height), 0.5);
    closeEditor();
    XSync(d, False);
    EXPECT_EQ(child(), 0u);
}

// A drag is one edit bracket; Shift makes it fine, Control-click resets, a release far outside
// ends it; the wheel (button 4) moves a slider too.
TEST_F(X11EditorTest, PointerAndModifiersShapeTheSliderGestures) {
    openEditor();
    const float initial = plugin->getParameter(kPitchStart);
    ModuleTest::host.clearRequests();
    whileIdling([](User& u) { u.drag(160, 94, 160, 74); });
    const float plain = plugin->getParameter(kPitchStart);
    EXPECT_NE(plain, initial);
    std::vector<int32_t> edits;
    int automated = 0;
    for (const HostRequest& r : ModuleTest::host.requests()) {
        if (r.opcode == audioMasterBeginEdit || r.opcode == audioMasterEndEdit)
            edits.push_back(r.opcode);
        if (r.opcode == audioMasterAutomate && r.index == kPitchStart) ++automated;
    }
    ASSERT_EQ(edits, (std::vector<int32_t>{audioMasterBeginEdit, audioMasterEndEdit}));
    EXPECT_GT(automated, 0);
    saveWindowPng(d, host, "after-drag");

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
    EXPECT_EQ(ModuleTest::host.countOf(audioMasterBeginEdit), 0u);

    // Released far above the window: the gesture ends with the value at the top.
    ModuleTest::host.clearRequests();
    whileIdling([](User& u) { u.drag(160, 94, 160, -35); });
    EXPECT_EQ(plugin->getParameter(kPitchStart), 1.0f);
    EXPECT_EQ(ModuleTest::host.countOf(audioMasterEndEdit), 1u);

    const float end = plugin->getParameter(kPitchEnd);
    whileIdling([](User& u) {
        u.move(297, 94);
        u.button(4, true);
        u.button(4, false);
    });
    EXPECT_NE(plugin->getParameter(kPitchEnd), end);
}

// Drops arriving while the field has the focus are answered and change nothing; the field still
// takes the keyboard afterwards.
TEST_F(X11EditorTest, TypingIntoTheEndEntryCommitsOnEnterAndOnFocusLoss) {
    openEditor();
    const float before = plugin->getParameter(kPitchEnd);
    whileIdling([](User& u) {
        u.click(405, 136);
        for (KeySym k : {XK_0, XK_period, XK_2, XK_5}) u.type(k);
    });
    // The field is an extra window over the frame while it is open.
    ASSERT_EQ(childrenOf(d, child()).size(), 1u) << "the edit field did not open";
    saveWindowPng(d, host, "end-entry-typing");
    XdndSource source(server().name);
    const auto idleOnce = [this] { dispatch(effEditIdle); };
    EXPECT_TRUE(
        source.drop(kHostX + 405, kHostY + 136, {"UTF8_STRING"}, "0.75", idleOnce).finished);
    EXPECT_TRUE(
        source.drop(kHostX + 100, kHostY + 100, {"text/uri-list"}, "file:///tmp\r\n", idleOnce)
            .finished);
    EXPECT_EQ(plugin->getParameter(kPitchEnd), before);
    whileIdling([](User& u) { u.type(XK_Return); });
    const float afterEnter = plugin->getParameter(kPitchEnd);
    EXPECT_NE(afterEnter, before);

    whileIdling([](User& u) {
        u.click(405, 136);
        for (KeySym k : {XK_1, XK_period, XK_5}) u.type(k);
        u.click(60, 30);  // elsewhere in the frame
    });
    EXPECT_NE(plugin->getParameter(kPitchEnd), afterEnter);
    EXPECT_TRUE(childrenOf(d, child()).empty());
    EXPECT_EQ(foreignErrors + hostErrors, 0);
}

TEST_F(X11EditorTest, ParameterSetFromAnotherThreadIsRedrawnWithinAFewIdles) {
    openEditor();
    std::thread([this] { plugin->setParameter(kPitchStart, 1.0f); }).join();
    idle(3);
    const std::vector<uint32_t> top = windowPixels(d, host, 150, 34, 21, 121);
    std::thread([this] { plugin->setParameter(kPitchStart, 0.0f); }).join();
    idle(3);
    EXPECT_GT(countDifferences(top, windowPixels(d, host, 150, 34, 21, 121)), 50);
}

// Without a window or a display the editor does not open; its own X errors stay off the host's
// handler; windows destroyed behind its back, its own or the host's, end nothing.
TEST_F(X11EditorTest, OwnXErrorsAreCountedQuietlyAndTheHostsHandlerStays) {
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, nullptr), 0);
    const std::string saved = getenv("DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 0);
    setenv("DISPLAY", saved.c_str(), 1);
    dispatch(effEditIdle);
    // A window id that names nothing: the plug-in's requests fail on its own connection.
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x3fffffe)), 0);
    EXPECT_EQ(installedHandler(), &hostHandler);

    openEditor();
    const Window ours = child();
    ASSERT_NE(ours, 0u);
    XDestroyWindow(d, ours);
    XSync(d, False);
    for (int k = 0; k < 5; ++k) {
        dispatch(effEditIdle);
        plugin->setParameter(kPitchStart, k * 0.2f);
        pause(10);
    }
    EXPECT_EQ(installedHandler(), &hostHandler);
    closeEditor();
    EXPECT_EQ(installedHandler(), &hostHandler);
    EXPECT_EQ(foreignErrors, 0) << "the plug-in's errors reached the host's handler";
    EXPECT_EQ(hostErrors, 0);

    // The editor opens again afterwards as if nothing had happened.
    openEditor();
    EXPECT_NE(child(), 0u);
    EXPECT_GT(paintedShare(d, host, 0, 0, width, height), 0.5);

    XDestroyWindow(d, host);
    XSync(d, False);
    host = 0;
    idle(5);  // the frame draws on and queries a window that is gone: X errors, counted
    closeEditor();
}

TEST_F(X11EditorTest, TwoEditorsOfTwoInstancesPaintAndCloseIndependently) {
    PluginHost secondHost;
    std::string error;
    auto second = PluginInstance::create(loadedModule(), secondHost, error);
    ASSERT_TRUE(second) << error;
    second->start(44100.0f, 256);
    // The second host window overlaps the first one's lower right corner.
    const Window other = hostWindow(d, kHostX + 300, kHostY + 195, width, height);
    openEditor();
    ASSERT_EQ(second->dispatcher(effEditOpen, 0, 0, reinterpret_cast<void*>(other), 0.0f), 1);
    for (int k = 0; k < 5; ++k) {
        dispatch(effEditIdle);
        second->dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
        pause(10);
    }
    EXPECT_GT(paintedShare(d, host, 0, 0, 320, 230), 0.5);
    EXPECT_GT(paintedShare(d, other, 140, 130, width, height), 0.5);
    saveWindowPng(d, DefaultRootWindow(d), "two-editors");

    ASSERT_EQ(childrenOf(d, other).size(), 1u);

    // Closing the first leaves the second alive: it still redraws a moved slider.
    closeEditor();
    EXPECT_EQ(child(), 0u);
    EXPECT_GT(paintedShare(d, other, 150, 34, 171, 155), 0.5);
    const std::vector<uint32_t> top = windowPixels(d, other, 150, 34, 21, 121);
    second->setParameter(kPitchStart, second->getParameter(kPitchStart) > 0.5f ? 0.0f : 1.0f);
    for (int k = 0; k < 3; ++k) {
        second->dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
        pause(20);
    }
    EXPECT_GT(countDifferences(top, windowPixels(d, other, 150, 34, 21, 121)), 50);
    second->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
    EXPECT_TRUE(childrenOf(d, other).empty());
    XDestroyWindow(d, other);
    EXPECT_EQ(foreignErrors + hostErrors, 0);
}

}  // namespace
}  // namespace brindlet::test
