// brindlet.so's editor inside a real X11 host window under Xvfb, driven with XTest input while
// another thread processes audio.
// gtest first: Xlib's macros (None, Bool, Status) clash with its templates.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <thread>

#include "engine/ParameterIndex.h"
#include "tests/module/ModuleTestSupport.h"

// clang-format off
#include "tests/x11/X11TestSupport.h"
#include <X11/keysym.h>
// clang-format on

namespace brindlet::test {
namespace {

constexpr int kHostX = 30;  // where the host's window sits on the screen
constexpr int kHostY = 40;

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
    std::vector<int32_t> opcodes() {
        std::vector<int32_t> out;
        for (const HostRequest& r : host_requests()) out.push_back(r.opcode);
        return out;
    }
    std::vector<HostRequest> host_requests() { return ModuleTest::host.requests(); }
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
    ASSERT_TRUE(saveWindowPng(d, host, "editor-in-host"));
    // The panel is painted: not the host's plain background colour everywhere.
    const std::vector<uint32_t> pixels = windowPixels(d, host, 0, 0, width, height);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(width * height));
    int painted = 0;
    for (int y = 0; y < height; y += 7)
        for (int x = 0; x < width; x += 7) painted += pixels[y * width + x] != 0x202020;
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
    saveWindowPng(d, host, "after-drag");
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
    saveWindowPng(d, host, "after-buttons");
}

TEST_F(X11EditorTest, TypingIntoTheEndEntryCommitsOnEnterAndOnFocusLoss) {
    openEditor();
    const float before = plugin->getParameter(kPitchEnd);
    whileIdling([](User& u) {
        u.click(405, 136);
        for (KeySym k : {XK_0, XK_period, XK_2, XK_5}) u.type(k);
    });
    // The field is an extra window over the frame while it is open.
    EXPECT_EQ(childrenOf(d, child()).size(), 1u);
    saveWindowPng(d, host, "end-entry-typing");
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

TEST_F(X11EditorTest, HundredOpenCloseCyclesLeaveNoDescriptorsOrWindowsBehind) {
    openEditor();
    dispatch(effEditClose);
    opened = false;
    const int fds = openFileCount();
    for (int k = 0; k < 100; ++k) {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
        dispatch(effEditIdle);
        dispatch(effEditClose);
    }
    XSync(d, False);
    EXPECT_EQ(openFileCount(), fds);
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
