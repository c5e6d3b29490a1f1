// The built Brindlet.dll's editor in a real Win32 host window under Wine: SendInput gestures, the
// host requests they make, screenshots, two editors at once and GDI/USER objects over many opens.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/ParameterIndex.h"
#include "shell/FactoryPresetTable.h"
#include "tests/module/ModuleTestSupport.h"

namespace brindlet::test {
namespace {

constexpr int32_t kHostLeft = 40;
constexpr int32_t kHostTop = 30;
constexpr UINT_PTR kIdleTimer = 1;
// Wine moves the X pointer for a SendInput move, and the X server's report of that move carries
// its own button state (none pressed): a press sent before the report arrives reads as released.
// Presses wait this long after the move that brings the pointer to them.
constexpr DWORD kPointerSettle = 200;

HWND createHostWindow(int32_t width, int32_t height, int32_t left = kHostLeft) {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "BrindletTestHost";
        return RegisterClassA(&wc) != 0;
    }();
    if (!registered) return nullptr;
    return CreateWindowExA(0, "BrindletTestHost", "host", WS_POPUP | WS_VISIBLE, left, kHostTop,
                           width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void mouse(DWORD flags, int32_t x, int32_t y) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Absolute coordinates run over 0..65535 across the primary screen.
    in.mi.dx = static_cast<LONG>((x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = static_cast<LONG>((y * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof(in));
}

void key(WORD virtualKey) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = virtualKey;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

// Polls `ready` for up to three seconds.
void waitFor(const std::function<bool()>& ready) {
    for (int32_t wait = 0; wait < 150 && !ready(); ++wait) Sleep(20);
}

HWND focusOf(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

std::string windowText(HWND window) {
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class WindowsEditor : public ModuleTest {
public:
    void SetUp() override {
        ModuleTest::SetUp();
        if (HasFatalFailure()) return;
        ERect* rect = nullptr;
        dispatch(effEditGetRect, 0, 0, &rect);
        ASSERT_NE(rect, nullptr);
        width = rect->right - rect->left;
        height = rect->bottom - rect->top;
        hostWindow = createHostWindow(width, height);
        ASSERT_NE(hostWindow, nullptr);
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, hostWindow), 1);
        SetTimer(hostWindow, kIdleTimer, 20, nullptr);
        // Typed keys go to the foreground window's focus.
        SetForegroundWindow(hostWindow);
        pump(300);
    }
    void TearDown() override {
        if (hostWindow) {
            KillTimer(hostWindow, kIdleTimer);
            dispatch(effEditClose);
            DestroyWindow(hostWindow);
        }
        ModuleTest::TearDown();
    }

    // Runs the host's message loop for `milliseconds`, idling the editor on its timer.
    void pump(DWORD milliseconds) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds) {
            MSG m;
            while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (m.message == WM_TIMER && m.hwnd == hostWindow) {
                    dispatch(effEditIdle);
                    continue;
                }
                TranslateMessage(&m);
                DispatchMessageA(&m);
            }
            Sleep(5);
        }
    }

    // Plays `gesture` on another thread (a drag holds the window thread in its tracking loop)
    // while this thread keeps the message loop going.
    void play(const std::function<void()>& gesture, DWORD settle = 400) {
        std::atomic<bool> done{false};
        std::thread player([&] {
            gesture();
            done = true;
        });
        while (!done) pump(20);
        player.join();
        pump(settle);
    }

    int32_t screenX(int32_t x) const { return kHostLeft + x; }
    int32_t screenY(int32_t y) const { return kHostTop + y; }

    // The host window's pixels from the screen, written as a 24-bit BMP.
    bool screenshot(const std::string& name) {
        const std::string folder = std::string(BRINDLET_BUILD_DIR) + "/pictures";
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA((folder + "/windows").c_str(), nullptr);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, screenX(0), screenY(0), SRCCOPY);
        SelectObject(memory, old);
        // Bottom-up, as BMP files keep their rows.
        BITMAPINFOHEADER info{sizeof(info), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<char> bits(((width * 3 + 3) & ~3) * height);
        GetDIBits(memory, bitmap, 0, height, bits.data(), reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS);
        const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(info);
        const BITMAPFILEHEADER header{0x4D42, DWORD(offset + bits.size()), 0, 0, offset};
        std::ofstream file(folder + "/windows/" + name + ".bmp", std::ios::binary);
        file.write(reinterpret_cast<const char*>(&header), sizeof(header));
        file.write(reinterpret_cast<const char*>(&info), sizeof(info));
        file.write(bits.data(), static_cast<std::streamsize>(bits.size()));
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return file.good();
    }

    std::vector<HostRequest> requestsSince(size_t first) const {
        auto all = host.requests();
        return std::vector<HostRequest>(all.begin() + std::min(first, all.size()), all.end());
    }

    HWND hostWindow = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

TEST_F(WindowsEditor, OpensInTheHostWindowAndShowsTheProgramAndAPreset) {
    HWND frame = GetWindow(hostWindow, GW_CHILD);
    ASSERT_NE(frame, nullptr);
    char name[64] = "";
    GetClassNameA(frame, name, sizeof(name));
    EXPECT_EQ(std::string(name).substr(0, 6), "Plugin");
    RECT r{};
    GetClientRect(frame, &r);
    EXPECT_EQ(r.right, width);
    EXPECT_EQ(r.bottom, height);
    pump(400);
    EXPECT_TRUE(screenshot("editor-program-0"));

    // Preset button 0, in the bottom row.
    const size_t before = host.requests().size();
    play([&] {
        mouse(0, screenX(97), screenY(335));
        Sleep(kPointerSettle);
        mouse(MOUSEEVENTF_LEFTDOWN, screenX(97), screenY(335));
        Sleep(300);
        mouse(MOUSEEVENTF_LEFTUP, screenX(97), screenY(335));
    });
    int32_t automated = 0;
    for (const HostRequest& q : requestsSince(before)) automated += q.opcode == audioMasterAutomate;
    EXPECT_GE(automated, 1);
    for (int32_t i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(plugin->getParameter(i), kFactoryPresetTable[0].values[i]) << i;
    }
    EXPECT_TRUE(screenshot("editor-preset-0"));
}

TEST_F(WindowsEditor, PitchStartDragMakesBeginAutomateEndInOrder) {
    const float startValue = plugin->getParameter(kPitchStart);
    const size_t before = host.requests().size();
    // The slider's track runs from y 34 to 155 at x 150..171; its handle sits at the value.
    const int32_t x = 160;
    const int32_t y0 = 34 + static_cast<int32_t>((1.0f - startValue) * 100.0f) + 10;
    play([&] {
        mouse(0, screenX(x), screenY(y0));
        Sleep(kPointerSettle);
        mouse(MOUSEEVENTF_LEFTDOWN, screenX(x), screenY(y0));
        Sleep(150);
        for (int32_t step = 1; step <= 10; ++step) {
            Sleep(30);
            mouse(0, screenX(x), screenY(y0 + 3 * step));
        }
        Sleep(60);
        mouse(MOUSEEVENTF_LEFTUP, screenX(x), screenY(y0 + 30));
    });
    std::vector<int32_t> order;
    for (const HostRequest& q : requestsSince(before)) {
        if (q.index != kPitchStart) continue;
        if (q.opcode == audioMasterBeginEdit || q.opcode == audioMasterAutomate ||
            q.opcode == audioMasterEndEdit) {
            if (order.empty() || order.back() != q.opcode) order.push_back(q.opcode);
        }
    }
    const std::vector<int32_t> expected = {audioMasterBeginEdit, audioMasterAutomate,
                                           audioMasterEndEdit};
    EXPECT_EQ(order, expected);
    EXPECT_LT(plugin->getParameter(kPitchStart), startValue);
    EXPECT_TRUE(screenshot("editor-pitch-start-dragged"));
}

TEST_F(WindowsEditor, PitchEndEntryTypedAndCommittedWithEnter) {
    // An inactive host window activated by the click would take the focus from the new field:
    // activate it first with a click on the panel's background, as a user would, and wait until
    // it is the foreground window.
    SetForegroundWindow(hostWindow);
    SetActiveWindow(hostWindow);
    SetFocus(hostWindow);
    play([&] {
        mouse(0, screenX(40), screenY(330));
        Sleep(kPointerSettle);
        mouse(MOUSEEVENTF_LEFTDOWN, screenX(40), screenY(330));
        Sleep(50);
        mouse(MOUSEEVENTF_LEFTUP, screenX(40), screenY(330));
        waitFor([&] { return GetForegroundWindow() == hostWindow; });
    });
    ASSERT_EQ(GetForegroundWindow(), hostWindow);
    const DWORD windowThread = GetCurrentThreadId();
    play([&] {
        // The press is read with the buttons' state when the window handles it: hold the
        // button until the field is there to take the keys. A press that still reads as
        // released on a loaded machine opens nothing: click again, as a user would.
        HWND frame = GetWindow(hostWindow, GW_CHILD);
        HWND field = nullptr;
        for (int32_t attempt = 0; attempt < 3 && !field; ++attempt) {
            mouse(0, screenX(406), screenY(136));
            Sleep(kPointerSettle);
            mouse(MOUSEEVENTF_LEFTDOWN, screenX(406), screenY(136));
            for (int32_t wait = 0;
                 wait < 50 && !(field = FindWindowExA(frame, nullptr, "EDIT", nullptr)); ++wait) {
                Sleep(20);
            }
            mouse(MOUSEEVENTF_LEFTUP, screenX(406), screenY(136));
            if (attempt > 0)
                std::fprintf(stderr, "(the entry was clicked %d times)\n", attempt + 1);
        }
        // On a loaded machine the field takes the focus and the keys their turn late: wait for
        // each instead of guessing how long they take.
        waitFor([&] { return focusOf(windowThread) == field; });
        for (WORD k : {WORD('0'), WORD(VK_OEM_PERIOD), WORD('2'), WORD('5')}) {
            key(k);
            Sleep(40);
        }
        waitFor([&] { return windowText(field) == "0.25"; });
        key(VK_RETURN);
    });
    // The field closes on Enter and its value goes to the effect.
    HWND frame = GetWindow(hostWindow, GW_CHILD);
    EXPECT_EQ(FindWindowExA(frame, nullptr, "EDIT", nullptr), nullptr);
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchEnd), 0.25f);
    EXPECT_TRUE(screenshot("editor-pitch-end-entered"));
}

// Two editors of one DLL share its window class, which goes with the last window; a copy of the
// DLL under a second name registers a class of its own. A hundred opens and closes leave no GDI
// or USER object behind.
TEST_F(WindowsEditor, EditorsShareTheirDllsClassOpenCloseLeaksNothingAndADeadHostIsSafe) {
    const std::string copy = std::string(BRINDLET_BUILD_DIR) + "/pictures/Brindlet-copy.dll";
    CreateDirectoryA((std::string(BRINDLET_BUILD_DIR) + "/pictures").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(modulePath().c_str(), copy.c_str(), FALSE));
    std::string error;
    auto copied = PluginModule::load(copy, error);
    ASSERT_TRUE(copied) << error;
    PluginHost secondHost, copyHost;
    auto second = PluginInstance::create(loadedModule(), secondHost, error);
    auto other = PluginInstance::create(copied, copyHost, error);
    ASSERT_TRUE(second && other) << error;
    HWND secondWindow = createHostWindow(width, height, kHostLeft + 20);
    HWND otherWindow = createHostWindow(width, height, kHostLeft + 40);
    ASSERT_EQ(second->dispatcher(effEditOpen, 0, 0, secondWindow), 1);
    ASSERT_EQ(other->dispatcher(effEditOpen, 0, 0, otherWindow), 1);
    char first[64] = "", same[64] = "", own[64] = "";
    GetClassNameA(GetWindow(hostWindow, GW_CHILD), first, sizeof(first));
    GetClassNameA(GetWindow(secondWindow, GW_CHILD), same, sizeof(same));
    GetClassNameA(GetWindow(otherWindow, GW_CHILD), own, sizeof(own));
    EXPECT_STREQ(first, same);
    EXPECT_STRNE(first, own);
    other->dispatcher(effEditClose);
    DestroyWindow(otherWindow);
    other.reset();
    copied.reset();
    DeleteFileA(copy.c_str());
    WNDCLASSA wc;
    HMODULE dll = GetModuleHandleA("Brindlet.dll");
    second->dispatcher(effEditClose);
    EXPECT_TRUE(GetClassInfoA(dll, first, &wc));  // still used by the first editor
    DestroyWindow(secondWindow);
    second.reset();

    KillTimer(hostWindow, kIdleTimer);
    dispatch(effEditClose);
    EXPECT_FALSE(GetClassInfoA(dll, first, &wc));  // gone with the last window

    // One cycle first, so lazily made objects (cached fonts, the blit library) exist already.
    dispatch(effEditOpen, 0, 0, hostWindow);
    pump(100);
    dispatch(effEditClose);
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    for (int32_t i = 0; i < 100; ++i) {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, hostWindow), 1);
        dispatch(effEditIdle);
        pump(5);
        dispatch(effEditClose);
    }
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), userBefore);
    EXPECT_EQ(GetWindow(hostWindow, GW_CHILD), nullptr);

    // A host window destroyed before the close, and a null parent, end nothing.
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, hostWindow), 1);
    DestroyWindow(hostWindow);
    hostWindow = nullptr;
    dispatch(effEditIdle);
    dispatch(effEditClose);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, nullptr), 0);
    dispatch(effEditClose);
}

}  // namespace
}  // namespace brindlet::test
