// brindlet.so's editor under Xvfb when things go wrong around it: X errors of its own making,
// a child window destroyed behind its back, two editors at once, drops at any moment.
// gtest first: Xlib's macros (None, Bool, Status) clash with its templates.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "engine/ParameterIndex.h"
#include "tests/module/ModuleTestSupport.h"

// clang-format off
#include "XdndSource.h"
#include "tests/x11/X11TestSupport.h"
#include <X11/keysym.h>
// clang-format on

namespace brindlet::test {
namespace {

constexpr unsigned long kHostBackground = 0x123456;

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

// One plug-in instance with its editor in a host window of its own.
struct Editor {
    Editor(std::shared_ptr<PluginModule> module, Display* d, int x, int y) : d(d) {
        std::string error;
        plugin = PluginInstance::create(std::move(module), host, error);
        if (!plugin) return;
        plugin->start(44100.0f, 256);
        ERect* rect = nullptr;
        plugin->dispatcher(effEditGetRect, 0, 0, &rect, 0.0f);
        if (!rect) return;
        width = rect->right - rect->left;
        height = rect->bottom - rect->top;
        window = XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, width, height, 0, 0,
                                     kHostBackground);
        XMapWindow(d, window);
        XSync(d, False);
    }
    ~Editor() {
        if (opened) close();
        if (window) XDestroyWindow(d, window);
        XSync(d, False);
    }
    bool open() {
        opened = plugin->dispatcher(effEditOpen, 0, 0, reinterpret_cast<void*>(window), 0.0f) == 1;
        return opened;
    }
    void close() {
        plugin->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
        opened = false;
    }
    void idle() { plugin->dispatcher(effEditIdle, 0, 0, nullptr, 0.0f); }
    std::vector<Window> children() const { return childrenOf(d, window); }
    // Share of sampled pixels in the area that are not the host's background.
    double paintedShare(int left, int top, int right, int bottom) const {
        const int width = right - left;
        const std::vector<uint32_t> pixels =
            windowPixels(d, window, left, top, width, bottom - top);
        if (pixels.empty()) return 0.0;
        int painted = 0, all = 0;
        for (int y = 0; y < bottom - top; y += 5) {
            for (int x = 0; x < width; x += 5) {
                painted += pixels[y * width + x] != kHostBackground;
                ++all;
            }
        }
        return all ? double(painted) / all : 0.0;
    }

    Display* d;
    PluginHost host;
    std::unique_ptr<PluginInstance> plugin;
    Window window = 0;
    int width = 0, height = 0;
    bool opened = false;
};

class X11RobustnessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server().display) << "no Xvfb";
        d = server().display;
        hostDisplay = d;
        hostErrors = foreignErrors = 0;
        module = loadedModule();
        ASSERT_TRUE(module);
        previousHandler = XSetErrorHandler(hostHandler);
    }
    void TearDown() override { XSetErrorHandler(previousHandler); }

    // Presses button 1 at root position (x, y) through XTest and releases it 100 ms later,
    // idling meanwhile: controls read the button state when the press arrives.
    void click(Editor& editor, int x, int y) {
        User user;
        ASSERT_TRUE(user.d);
        user.move(x, y);
        user.button(1, true);
        std::thread release([&user] {
            pause(100);
            user.button(1, false);
        });
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        while (std::chrono::steady_clock::now() < end) {
            editor.idle();
            pause(10);
        }
        release.join();
    }

    Display* d = nullptr;
    std::shared_ptr<PluginModule> module;
    ErrorHandler previousHandler = nullptr;
};

TEST_F(X11RobustnessTest, OwnXErrorsAreCountedQuietlyAndTheHostsHandlerStays) {
    Editor editor(module, d, 20, 20);
    ASSERT_TRUE(editor.plugin);
    // A window id that names nothing: the plug-in's requests fail on its own connection.
    EXPECT_EQ(editor.plugin->dispatcher(effEditOpen, 0, 0, reinterpret_cast<void*>(0x3fffffe),
                                        0.0f),
              0);
    EXPECT_EQ(installedHandler(), &hostHandler);

    ASSERT_TRUE(editor.open());
    for (int k = 0; k < 3; ++k) editor.idle();
    const std::vector<Window> ours = editor.children();
    ASSERT_EQ(ours.size(), 1u);
    // Someone destroys the plug-in's window behind its back; it keeps being idled and then closed.
    XDestroyWindow(d, ours[0]);
    XSync(d, False);
    for (int k = 0; k < 5; ++k) {
        editor.idle();
        editor.plugin->setParameter(kPitchStart, k * 0.2f);
        pause(10);
    }
    EXPECT_EQ(installedHandler(), &hostHandler);
    editor.close();
    EXPECT_EQ(installedHandler(), &hostHandler);
    EXPECT_EQ(foreignErrors, 0) << "the plug-in's errors reached the host's handler";
    EXPECT_EQ(hostErrors, 0);

    // The editor opens again afterwards as if nothing had happened.
    ASSERT_TRUE(editor.open());
    for (int k = 0; k < 3; ++k) editor.idle();
    EXPECT_EQ(editor.children().size(), 1u);
    EXPECT_GT(editor.paintedShare(0, 0, editor.width, editor.height), 0.5);
}

TEST_F(X11RobustnessTest, TwoEditorsOfTwoInstancesPaintAndCloseIndependently) {
    // The second host window overlaps the first one's lower right corner.
    Editor first(module, d, 0, 0);
    Editor second(module, d, 330, 235);
    ASSERT_TRUE(first.plugin && second.plugin);
    ASSERT_TRUE(first.open());
    ASSERT_TRUE(second.open());
    for (int k = 0; k < 5; ++k) {
        first.idle();
        second.idle();
        pause(10);
    }
    EXPECT_GT(first.paintedShare(0, 0, 320, 230), 0.5);
    EXPECT_GT(second.paintedShare(140, 130, second.width, second.height), 0.5);
    saveWindowPng(d, DefaultRootWindow(d), "two-editors");

    // One window class for the module, whichever instance registered it.
    ASSERT_EQ(first.children().size(), 1u);
    ASSERT_EQ(second.children().size(), 1u);
    XClassHint a{}, b{};
    ASSERT_TRUE(XGetClassHint(d, first.children()[0], &a));
    ASSERT_TRUE(XGetClassHint(d, second.children()[0], &b));
    EXPECT_STREQ(a.res_name, b.res_name);
    EXPECT_STREQ(a.res_class, "Brindlet");
    XFree(a.res_name);
    XFree(a.res_class);
    XFree(b.res_name);
    XFree(b.res_class);

    // Closing the first leaves the second alive: it still redraws a moved slider.
    first.close();
    EXPECT_TRUE(first.children().empty());
    const double before = second.paintedShare(150, 34, 171, 155);
    const std::vector<uint32_t> top = windowPixels(d, second.window, 150, 34, 21, 121);
    second.plugin->setParameter(kPitchStart, second.plugin->getParameter(kPitchStart) > 0.5f
                                                 ? 0.0f
                                                 : 1.0f);
    for (int k = 0; k < 3; ++k) {
        second.idle();
        pause(20);
    }
    EXPECT_GT(countDifferences(top, windowPixels(d, second.window, 150, 34, 21, 121)), 50);
    EXPECT_GT(before, 0.5);
    second.close();
    EXPECT_TRUE(second.children().empty());
    EXPECT_EQ(foreignErrors + hostErrors, 0);
}

TEST_F(X11RobustnessTest, DropsAreAnsweredAlsoWhileTheEditFieldIsOpen) {
    constexpr int x = 40, y = 30;
    Editor editor(module, d, x, y);
    ASSERT_TRUE(editor.plugin && editor.open());
    for (int k = 0; k < 3; ++k) editor.idle();
    const auto idle = [&] { editor.idle(); };

    XdndSource source(server().name);
    DropOutcome out = source.drop(x + 200, y + 100, {"text/uri-list"}, "file:///tmp\r\n", idle);
    EXPECT_EQ(out.awareVersion, 5);
    EXPECT_TRUE(out.accepted);
    EXPECT_TRUE(out.finished);
    out = source.drop(x + 200, y + 100, {"UTF8_STRING"}, "0.5", idle);
    EXPECT_TRUE(out.finished);

    // The Pitch/ End entry's field opens over the frame; a drop arrives while it has the focus.
    const float before = editor.plugin->getParameter(kPitchEnd);
    click(editor, x + 405, y + 136);
    for (int k = 0; k < 5; ++k) {
        editor.idle();
        pause(10);
    }
    ASSERT_EQ(editor.children().size(), 1u);
    ASSERT_EQ(childrenOf(d, editor.children()[0]).size(), 1u) << "the edit field did not open";
    out = source.drop(x + 405, y + 136, {"UTF8_STRING"}, "0.75", idle);
    EXPECT_TRUE(out.finished);
    out = source.drop(x + 100, y + 100, {"text/uri-list"}, "file:///tmp\r\n", idle);
    EXPECT_TRUE(out.finished);
    // The field is still there and still takes the keyboard: the drop changed nothing.
    EXPECT_EQ(editor.plugin->getParameter(kPitchEnd), before);
    User user;
    ASSERT_TRUE(user.d);
    for (KeySym k : {XK_0, XK_period, XK_2, XK_5, XK_Return}) {
        user.type(k);
        editor.idle();
        pause(10);
    }
    for (int k = 0; k < 5; ++k) {
        editor.idle();
        pause(10);
    }
    EXPECT_NE(editor.plugin->getParameter(kPitchEnd), before);
    editor.close();
    EXPECT_EQ(foreignErrors + hostErrors, 0);
}

TEST_F(X11RobustnessTest, AHostThatIdlesEvery100MsStillGetsItsWindowRepainted) {
    Editor editor(module, d, 10, 10);
    ASSERT_TRUE(editor.open());
    editor.idle();
    // Hide and show the host's window: everything must be exposed and painted again.
    XUnmapWindow(d, editor.window);
    XSync(d, False);
    XMapWindow(d, editor.window);
    XSync(d, False);
    pause(100);
    editor.idle();
    XSync(d, False);
    EXPECT_GT(editor.paintedShare(0, 0, editor.width, editor.height), 0.5);
}

}  // namespace
}  // namespace brindlet::test
