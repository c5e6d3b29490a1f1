// Redraw costs on a real X11 window under a private Xvfb: the editor-like frame drawn with cairo
// straight on the window (Xlib surface) against drawn into memory and put on the window with
// XPutImage or XShmPutImage; and the plug-in module's editor: a whole-window expose and an idle
// with nothing to do. Every figure waits for the server (XSync), so its work is counted too.
#include <benchmark/benchmark.h>

#include <cairo.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <memory>
#include <string>

#include "bench/toolkit/EditorLikeFrame.h"
#include "host/PluginHost.h"
#include "host/PluginInstance.h"
#include "host/PluginModule.h"
#include "tests/support/x11/XvfbServer.h"
#include "toolkit/draw/DrawContext.h"
#include "toolkit/platform/cairo/CairoTypes.h"
#include "toolkit/platform/x11/X11State.h"

// clang-format off
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
// clang-format on

namespace brindlet {
namespace {

constexpr int kWidth = 465;
constexpr int kHeight = 360;

test::XvfbServer& server() {
    static test::XvfbServer s;
    return s;
}

Window makeHostWindow() {
    Display* d = server().display;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(d, w);
    XSync(d, False);
    return w;
}

// The frame in a host window, painted once through its expose.
class X11EditorLikeFrame {
public:
    X11EditorLikeFrame()
        : host(makeHostWindow()),
          frame(Rect(0, 0, kWidth, kHeight), reinterpret_cast<void*>(host), nullptr) {
        bench::buildEditorLikeFrame(frame);
        for (int k = 0; k < 200 && frame.isFirstDraw(); ++k) {
            frame.idle();
            platform::sleepMilliseconds(1);
        }
    }
    ~X11EditorLikeFrame() {
        XDestroyWindow(server().display, host);
        XSync(server().display, False);
    }
    Display* display() const { return frame.getWindow()->display; }
    Window window() const { return frame.getWindow()->window; }

    Window host;
    Frame frame;
};

void fullRedrawXlibSurface(benchmark::State& state) {
    if (!server().display) return state.SkipWithError("no Xvfb");
    X11EditorLikeFrame editor;
    for (auto _ : state) {
        editor.frame.redrawView(nullptr);
        XSync(editor.display(), False);
    }
}
BENCHMARK(fullRedrawXlibSurface)->Unit(benchmark::kMicrosecond);

void fullRedrawImageAndXPutImage(benchmark::State& state) {
    if (!server().display) return state.SkipWithError("no Xvfb");
    X11EditorLikeFrame editor;
    Display* d = editor.display();
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    NativeSurface* surface = cairo_backend::wrapSurface(image, kWidth, kHeight);
    XImage* x = XCreateImage(d, editor.frame.getWindow()->visual, 24, ZPixmap, 0,
                             reinterpret_cast<char*>(cairo_image_surface_get_data(image)), kWidth,
                             kHeight, 32, cairo_image_surface_get_stride(image));
    GC gc = XCreateGC(d, editor.window(), 0, nullptr);
    for (auto _ : state) {
        {
            DrawContext context(&editor.frame, surface, editor.frame.getWindow());
            editor.frame.draw(&context);
        }
        cairo_surface_flush(image);
        XPutImage(d, editor.window(), gc, x, 0, 0, 0, 0, kWidth, kHeight);
        XSync(d, False);
    }
    x->data = nullptr;  // cairo's pixels
    XDestroyImage(x);
    XFreeGC(d, gc);
    platform::destroySurface(surface);
    cairo_surface_destroy(image);
}
BENCHMARK(fullRedrawImageAndXPutImage)->Unit(benchmark::kMicrosecond);

void fullRedrawImageAndXShmPutImage(benchmark::State& state) {
    if (!server().display) return state.SkipWithError("no Xvfb");
    X11EditorLikeFrame editor;
    Display* d = editor.display();
    if (!XShmQueryExtension(d)) return state.SkipWithError("no MIT-SHM");
    XShmSegmentInfo shm{};
    XImage* x = XShmCreateImage(d, editor.frame.getWindow()->visual, 24, ZPixmap, nullptr, &shm,
                                kWidth, kHeight);
    shm.shmid = shmget(IPC_PRIVATE, size_t(x->bytes_per_line) * kHeight, IPC_CREAT | 0600);
    shm.shmaddr = x->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
    shm.readOnly = False;
    XShmAttach(d, &shm);
    XSync(d, False);
    shmctl(shm.shmid, IPC_RMID, nullptr);
    cairo_surface_t* image = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(x->data), CAIRO_FORMAT_RGB24, kWidth, kHeight,
        x->bytes_per_line);
    NativeSurface* surface = cairo_backend::wrapSurface(image, kWidth, kHeight);
    GC gc = XCreateGC(d, editor.window(), 0, nullptr);
    for (auto _ : state) {
        {
            DrawContext context(&editor.frame, surface, editor.frame.getWindow());
            editor.frame.draw(&context);
        }
        cairo_surface_flush(image);
        XShmPutImage(d, editor.window(), gc, x, 0, 0, 0, 0, kWidth, kHeight, False);
        XSync(d, False);
    }
    platform::destroySurface(surface);
    cairo_surface_destroy(image);
    XShmDetach(d, &shm);
    XSync(d, False);
    x->data = nullptr;
    XDestroyImage(x);
    shmdt(shm.shmaddr);
    XFreeGC(d, gc);
}
BENCHMARK(fullRedrawImageAndXShmPutImage)->Unit(benchmark::kMicrosecond);

void idleWithNothingDirtyX11(benchmark::State& state) {
    if (!server().display) return state.SkipWithError("no Xvfb");
    X11EditorLikeFrame editor;
    for (auto _ : state) editor.frame.idle();
}
BENCHMARK(idleWithNothingDirtyX11)->Unit(benchmark::kNanosecond);

// brindlet.so's own editor, opened as a host opens it.
class ModuleEditor {
public:
    ModuleEditor() : window(makeHostWindow()) {
        std::string error;
        module = PluginModule::load(std::string(BRINDLET_BUILD_DIR) + "/brindlet.so", error);
        if (module) plugin = PluginInstance::create(module, host, error);
        if (!plugin) return;
        open = plugin->dispatcher(effEditOpen, 0, 0, reinterpret_cast<void*>(window)) == 1;
        for (int k = 0; k < 20; ++k) {
            plugin->dispatcher(effEditIdle);
            platform::sleepMilliseconds(5);
        }
    }
    ~ModuleEditor() {
        if (open) plugin->dispatcher(effEditClose);
        plugin.reset();
        XDestroyWindow(server().display, window);
        XSync(server().display, False);
    }
    // The plug-in's child window in the host's window.
    Window child() const {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        XQueryTree(server().display, window, &root, &parent, &children, &n);
        const Window first = n ? children[0] : 0;
        if (children) XFree(children);
        return first;
    }

    Window window;
    PluginHost host;
    std::shared_ptr<PluginModule> module;
    std::unique_ptr<PluginInstance> plugin;
    bool open = false;
};

// One editor for both figures; the module stays loaded, as in a host.
ModuleEditor& moduleEditor() {
    static ModuleEditor* editor = new ModuleEditor;
    return *editor;
}

// The host asks for the whole window to be painted again, then idles once.
void moduleEditorExposeAndIdle(benchmark::State& state) {
    if (!server().display) return state.SkipWithError("no Xvfb");
    ModuleEditor* editor = &moduleEditor();
    if (!editor->open) return state.SkipWithError("editor did not open");
    Display* d = server().display;
    const Window child = editor->child();
    for (auto _ : state) {
        XClearArea(d, child, 0, 0, 0, 0, True);
        XSync(d, False);
        editor->plugin->dispatcher(effEditIdle);
    }
}
BENCHMARK(moduleEditorExposeAndIdle)->Unit(benchmark::kMicrosecond);

void moduleEditorIdleWithNothingDirty(benchmark::State& state) {
    if (!server().display) return state.SkipWithError("no Xvfb");
    ModuleEditor* editor = &moduleEditor();
    if (!editor->open) return state.SkipWithError("editor did not open");
    for (auto _ : state) editor->plugin->dispatcher(effEditIdle);
}
BENCHMARK(moduleEditorIdleWithNothingDirty)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brindlet

BENCHMARK_MAIN();
