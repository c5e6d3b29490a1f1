// The GDI backend for real under Wine: keyed blits both ways, the frame window's events and
// class, OLE pairing in a foreign apartment, and the drop target fed by the OLE clipboard's data
// object.
#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/bitmap/BmpDecoder.h"
#include "toolkit/platform/win32/FileDropTarget.h"
#include "toolkit/platform/win32/Win32Backend.h"
#include "toolkit/platform/win32/Win32Types.h"

namespace brindlet {
namespace {

// ---- Keyed blits ---------------------------------------------------------------------------

NativeImage* loadImage(int32_t id) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    DecodedBitmap decoded;
    if (!platform::findBitmapResource(id, &data, &size) || !decodeBmp(data, size, decoded)) {
        return nullptr;
    }
    return platform::createImage(decoded.rgb.data(), decoded.width, decoded.height);
}

// The image drawn keyed over a striped background; the pixels as red + 256 green + 65536 blue.
std::vector<uint32_t> keyedPixels(NativeImage* image, Color key, bool transparentBlt) {
    const int32_t w = image->width + 4, h = image->height + 4;
    NativeSurface* s = platform::createOffscreenSurface(nullptr, w, h);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t shade = static_cast<uint8_t>(y * 37);
        platform::fillRect(s, Rect(0, y, w, y + 1), Color{shade, 90, uint8_t(255 - shade), 0});
    }
    win32::setTransparentBltAllowed(transparentBlt);
    platform::drawImageTransparent(image, Point(0, 0), s, Rect(2, 2, w - 2, h - 2), key);
    win32::setTransparentBltAllowed(true);
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) pixels.push_back(win32::getSurfacePixel(s, x, y));
    }
    platform::destroySurface(s);
    return pixels;
}

// On two pixels the key keeps the background and the other pixel is copied; on every bitmap of
// the artwork the mask fallback gives what TransparentBlt gives.
TEST(WindowsBlit, KeyedPixelsKeepTheBackgroundWithTransparentBltAndWithTheMaskFallback) {
    const uint8_t rgb[6] = {255, 0, 255, 10, 20, 30};  // key, then an ordinary pixel
    NativeImage* pair = platform::createImage(rgb, 2, 1);
    ASSERT_NE(pair, nullptr);
    for (bool viaTransparentBlt : {true, false}) {
        NativeSurface* s = platform::createOffscreenSurface(nullptr, 2, 1);
        platform::fillRect(s, Rect(0, 0, 2, 1), Color{1, 2, 3, 0});
        win32::setTransparentBltAllowed(viaTransparentBlt);
        platform::drawImageTransparent(pair, Point(), s, Rect(0, 0, 2, 1), Color{255, 0, 255, 0});
        win32::setTransparentBltAllowed(true);
        EXPECT_EQ(win32::getSurfacePixel(s, 0, 0), 0x030201u);
        EXPECT_EQ(win32::getSurfacePixel(s, 1, 0), 0x1e140au);
        platform::destroySurface(s);
    }
    platform::destroyImage(pair);

    int32_t checked = 0;
    for (int32_t id = 128; id <= 170; ++id) {
        NativeImage* image = loadImage(id);
        if (!image) continue;
        for (const Color& key : {Color{255, 0, 255, 0}, Color{0, 0, 0, 0}})
            EXPECT_EQ(keyedPixels(image, key, true), keyedPixels(image, key, false)) << id;
        platform::destroyImage(image);
        ++checked;
    }
    EXPECT_EQ(checked, 42);
}

// ---- Windows -------------------------------------------------------------------------------

struct Recorder : WindowEvents {
    void paintRequested(NativeSurface*, const Rect&) override { ++paints; }
    void buttonPressed(NativeSurface*, const Point& where) override { presses.push_back(where); }
    void dropped(void** items, int32_t count, int32_t type, const Point& where) override {
        dropCount = count;
        dropType = type;
        dropWhere = where;
        names.clear();
        if (type == 0) {
            for (int32_t i = 0; i < count; ++i) names.emplace_back(static_cast<char*>(items[i]));
        } else {
            names.emplace_back(static_cast<char*>(items[0]));
        }
    }
    void windowDestroyed() override { ++destroyed; }
    void wheelTurned(NativeSurface*, const Point& where, float distance) override {
        wheelWhere = where;
        wheelDistance = distance;
    }
    int32_t paints = 0;
    std::vector<Point> presses;
    int32_t dropCount = -1;
    int32_t dropType = -1;
    Point dropWhere;
    std::vector<std::string> names;
    int32_t destroyed = 0;
    Point wheelWhere;
    float wheelDistance = 0.0f;
};

class HostWindow {
public:
    HostWindow() {
        hwnd = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300,
                               200, nullptr, nullptr, nullptr, nullptr);
    }
    ~HostWindow() {
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    HWND hwnd;
};

// A frame window needs a parent. One we destroy ourselves sends no event; one whose host window
// goes first reports it, and the shared class goes with the last window.
TEST(WindowsFrameWindow, WheelPressPaintAndDestroyReachTheEvents) {
    Recorder events, other;
    NativeWindow* window = nullptr;
    EXPECT_EQ(platform::createFrameWindow(nullptr, 10, 10, &events), nullptr);
    {
        HostWindow host;
        window = platform::createFrameWindow(host.hwnd, 100, 50, &events);
        ASSERT_NE(window, nullptr);
        platform::destroyFrameWindow(platform::createFrameWindow(host.hwnd, 100, 50, &other));
        EXPECT_EQ(other.destroyed, 0);
        POINT screen{30, 20};
        ClientToScreen(window->hwnd, &screen);
        SendMessageA(window->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA),
                     MAKELPARAM(screen.x, screen.y));
        EXPECT_EQ(events.wheelDistance, 2.0f);
        EXPECT_EQ(events.wheelWhere, Point(30, 20));
        SendMessageA(window->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                     MAKELPARAM(screen.x, screen.y));
        EXPECT_EQ(events.wheelDistance, -1.0f);
        SendMessageA(window->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 9));
        ASSERT_EQ(events.presses.size(), 1u);
        EXPECT_EQ(events.presses[0], Point(7, 9));
        InvalidateRect(window->hwnd, nullptr, FALSE);
        UpdateWindow(window->hwnd);
        EXPECT_GE(events.paints, 1);
    }  // the host's window goes first, taking ours with it
    EXPECT_EQ(events.destroyed, 1);
    EXPECT_TRUE(win32::isWindowClassRegistered());
    platform::destroyFrameWindow(window);
    EXPECT_FALSE(win32::isWindowClassRegistered());
}

// ---- OLE ------------------------------------------------------------------------------------

TEST(WindowsThreadServices, AForeignApartmentIsLeftAsItWas) {
    std::thread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        platform::beginThreadServices();  // OLE wants a single-threaded apartment: refused
        platform::endThreadServices();    // so nothing to undo
        // Still in the multithreaded apartment: joining it again only counts up.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
    }).join();
    std::thread([] {
        platform::beginThreadServices();
        platform::beginThreadServices();
        platform::endThreadServices();
        // One OleInitialize still stands: COM is up in a single-threaded apartment.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        platform::endThreadServices();
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
        platform::endThreadServices();  // unbalanced: ignored
    }).join();
}

// ---- Drop target ---------------------------------------------------------------------------

std::vector<char> dropFilesBlock(const std::vector<std::string>& names) {
    std::vector<char> bytes(sizeof(DROPFILES));
    for (const std::string& n : names)
        bytes.insert(bytes.end(), n.c_str(), n.c_str() + n.size() + 1);
    bytes.push_back('\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = FALSE;
    std::memcpy(bytes.data(), &header, sizeof(header));
    return bytes;
}

std::string tempFolder() {
    char path[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, path);
    return path;
}

bool makeShortcut(const std::string& link, const std::string& target) {
    IShellLinkA* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell)))) {
        return false;
    }
    shell->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    bool saved = false;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        saved = SUCCEEDED(file->Save(wide, TRUE));
        file->Release();
    }
    shell->Release();
    return saved;
}

class WindowsDropTarget : public ::testing::Test {
protected:
    void SetUp() override {
        platform::beginThreadServices();
        window = platform::createFrameWindow(host.hwnd, 200, 100, &events);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(platform::registerDropTarget(window));
        origin = platform::getWindowOrigin(window);
    }
    void TearDown() override {
        platform::destroyFrameWindow(window);
        platform::endThreadServices();
    }
    // `bytes` in `format`, offered by the data object the OLE clipboard hands out, dropped at
    // `where` with `keys` held; the effect the target answers.
    DWORD drop(UINT format, const void* bytes, size_t size, DWORD keys, const Point& where) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
        IDataObject* data = nullptr;
        if (!OpenClipboard(host.hwnd)) return DWORD(-1);
        EmptyClipboard();
        SetClipboardData(format, block);
        CloseClipboard();
        if (FAILED(OleGetClipboard(&data))) return DWORD(-1);
        IDropTarget* target = window->dropTarget;
        const POINTL at{origin.h + where.h, origin.v + where.v};
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target->DragEnter(data, keys, at, &effect);
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target->DragOver(keys, at, &effect);
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target->Drop(data, keys, at, &effect);
        data->Release();
        return effect;
    }
    HostWindow host;
    Recorder events;
    NativeWindow* window = nullptr;
    Point origin;
};

TEST_F(WindowsDropTarget, ThreeFilesArriveWithTheShortcutResolved) {
    const std::string folder = tempFolder();
    const std::string target = folder + "brindlet-drop-target.wav";
    CloseHandle(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const std::string link = folder + "brindlet-drop.lnk";
    ASSERT_TRUE(makeShortcut(link, target));
    const auto block = dropFilesBlock({"C:\\a.wav", link, "C:\\b c.aif"});
    EXPECT_EQ(drop(CF_HDROP, block.data(), block.size(), MK_LBUTTON, Point(12, 34)),
              DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(events.dropType, 0);
    EXPECT_EQ(events.dropCount, 3);
    EXPECT_EQ(events.dropWhere, Point(12, 34));
    ASSERT_EQ(events.names.size(), 3u);
    EXPECT_EQ(events.names[0], "C:\\a.wav");
    EXPECT_EQ(_stricmp(events.names[1].c_str(), target.c_str()), 0) << events.names[1];
    EXPECT_EQ(events.names[2], "C:\\b c.aif");
    DeleteFileA(link.c_str());
    DeleteFileA(target.c_str());
}

// Neither files nor text: nothing delivered.
TEST_F(WindowsDropTarget, TextArrivesAsTypeOneWithTheBlockSizeAndControlCopies) {
    const char bytes[4] = {1, 2, 3, 4};
    const UINT other = RegisterClipboardFormatA("Brindlet test bytes");
    EXPECT_EQ(drop(other, bytes, sizeof(bytes), MK_LBUTTON, Point(1, 1)), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(events.dropCount, -1);

    const char text[16] = "Pitch 440";
    EXPECT_EQ(drop(CF_TEXT, text, sizeof(text), MK_LBUTTON | MK_CONTROL, Point(5, 6)),
              DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(events.dropType, 1);
    EXPECT_GE(events.dropCount, 16);  // the storage's size, which may be rounded up
    ASSERT_EQ(events.names.size(), 1u);
    EXPECT_EQ(events.names[0], "Pitch 440");
}

}  // namespace
}  // namespace brindlet
