// The GDI backend for real under Wine: keyed blits both ways, the shared window class, the wheel,
// OLE pairing in a foreign apartment, and the drop target fed by a data object of our own.
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

TEST(WindowsBlit, MaskFallbackAndTransparentBltGiveTheSamePixelsForEveryBitmap) {
    const Color keys[2] = {Color{255, 0, 255, 0}, Color{0, 0, 0, 0}};
    int32_t checked = 0;
    for (int32_t id = 128; id <= 170; ++id) {
        NativeImage* image = loadImage(id);
        if (!image) continue;
        for (const Color& key : keys) {
            const auto viaTransparentBlt = keyedPixels(image, key, true);
            const auto viaMask = keyedPixels(image, key, false);
            EXPECT_EQ(viaTransparentBlt, viaMask) << "bitmap " << id;
        }
        platform::destroyImage(image);
        ++checked;
    }
    EXPECT_EQ(checked, 42);
}

TEST(WindowsBlit, KeyedPixelsKeepTheBackgroundAndOthersAreCopied) {
    const uint8_t rgb[6] = {255, 0, 255, 10, 20, 30};  // key, then an ordinary pixel
    NativeImage* image = platform::createImage(rgb, 2, 1);
    ASSERT_NE(image, nullptr);
    for (bool viaTransparentBlt : {true, false}) {
        NativeSurface* s = platform::createOffscreenSurface(nullptr, 2, 1);
        platform::fillRect(s, Rect(0, 0, 2, 1), Color{1, 2, 3, 0});
        win32::setTransparentBltAllowed(viaTransparentBlt);
        platform::drawImageTransparent(image, Point(), s, Rect(0, 0, 2, 1), Color{255, 0, 255, 0});
        win32::setTransparentBltAllowed(true);
        EXPECT_EQ(win32::getSurfacePixel(s, 0, 0), 0x030201u);
        EXPECT_EQ(win32::getSurfacePixel(s, 1, 0), 0x1e140au);
        platform::destroySurface(s);
    }
    platform::destroyImage(image);
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

TEST(WindowsFrameWindow, TwoWindowsShareOneClassThatGoesWithTheLast) {
    HostWindow host;
    Recorder a, b;
    EXPECT_EQ(platform::createFrameWindow(nullptr, 10, 10, &a), nullptr);
    NativeWindow* first = platform::createFrameWindow(host.hwnd, 100, 50, &a);
    NativeWindow* second = platform::createFrameWindow(host.hwnd, 100, 50, &b);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(win32::getWindowClassUsers(), 2);
    char firstClass[64] = "", secondClass[64] = "";
    GetClassNameA(first->hwnd, firstClass, sizeof(firstClass));
    GetClassNameA(second->hwnd, secondClass, sizeof(secondClass));
    EXPECT_STREQ(firstClass, secondClass);
    EXPECT_EQ(std::strncmp(firstClass, "Plugin", 6), 0);
    EXPECT_EQ(std::strlen(firstClass), 14u);
    platform::destroyFrameWindow(first);
    EXPECT_TRUE(win32::isWindowClassRegistered());
    platform::destroyFrameWindow(second);
    EXPECT_FALSE(win32::isWindowClassRegistered());
    EXPECT_EQ(a.destroyed + b.destroyed, 0);  // destroyed by us: no event
}

TEST(WindowsFrameWindow, WheelPressAndHostDestroyReachTheEvents) {
    Recorder events;
    NativeWindow* window = nullptr;
    {
        HostWindow host;
        window = platform::createFrameWindow(host.hwnd, 100, 50, &events);
        ASSERT_NE(window, nullptr);
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

// A data object holding one HGLOBAL per offered format.
class TestDataObject : public IDataObject {
public:
    void offer(CLIPFORMAT format, const void* bytes, size_t size) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
        blocks_.push_back({format, block});
    }
    ~TestDataObject() {
        for (auto& b : blocks_) GlobalFree(b.second);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* medium) override {
        HGLOBAL block = find(f);
        if (!block) return DV_E_FORMATETC;
        const SIZE_T size = GlobalSize(block);
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(copy), GlobalLock(block), size);
        GlobalUnlock(copy);
        GlobalUnlock(block);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
        return find(f) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    HGLOBAL find(const FORMATETC* f) const {
        if (!f || !(f->tymed & TYMED_HGLOBAL)) return nullptr;
        for (const auto& b : blocks_) {
            if (b.first == f->cfFormat) return b.second;
        }
        return nullptr;
    }
    std::vector<std::pair<CLIPFORMAT, HGLOBAL>> blocks_;
};

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
    DWORD drop(TestDataObject& data, DWORD keys, const Point& where) {
        IDropTarget* target = window->dropTarget;
        const POINTL at{origin.h + where.h, origin.v + where.v};
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target->DragEnter(&data, keys, at, &effect);
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target->DragOver(keys, at, &effect);
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target->Drop(&data, keys, at, &effect);
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
    TestDataObject data;
    const auto block = dropFilesBlock({"C:\\a.wav", link, "C:\\b c.aif"});
    data.offer(CF_HDROP, block.data(), block.size());
    EXPECT_EQ(drop(data, MK_LBUTTON, Point(12, 34)), DWORD(DROPEFFECT_MOVE));
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

TEST_F(WindowsDropTarget, TextArrivesAsTypeOneWithTheBlockSizeAndControlCopies) {
    TestDataObject data;
    const char text[16] = "Pitch 440";
    data.offer(CF_TEXT, text, sizeof(text));
    EXPECT_EQ(drop(data, MK_LBUTTON | MK_CONTROL, Point(5, 6)), DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(events.dropType, 1);
    EXPECT_GE(events.dropCount, 16);  // the storage's size, which may be rounded up
    ASSERT_EQ(events.names.size(), 1u);
    EXPECT_EQ(events.names[0], "Pitch 440");
}

TEST_F(WindowsDropTarget, NeitherFormatDeliversNothing) {
    TestDataObject data;
    const char bytes[4] = {1, 2, 3, 4};
    data.offer(CF_BITMAP, bytes, sizeof(bytes));
    EXPECT_EQ(drop(data, MK_LBUTTON, Point(1, 1)), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(events.dropCount, -1);
}

}  // namespace
}  // namespace brindlet
