// The headless backend's whole state in one struct: clock, scripted input, windows and edit fields.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "toolkit/platform/headless/Headless.h"

namespace brindlet {

struct NativeWindow {
    void* parent = nullptr;
    NativeSurface* surface = nullptr;
    Point origin;
    WindowEvents* events = nullptr;
    bool dropRegistered = false;
    bool destroyedOutside = false;
};

struct NativeEditField {
    NativeWindow* window = nullptr;
    EditFieldEvents* events = nullptr;
    headless::EditFieldState state;
};

namespace headless {

struct PendingPaint {
    NativeWindow* window;
    Rect update;
};

struct State {
    uint32_t ticks = 0;
    uint32_t ticksPerPoll = 0;
    uint32_t sleptMilliseconds = 0;
    int32_t sleepCount = 0;

    InputStep current;
    std::deque<InputStep> script;
    int32_t pointerPolls = 0;
    bool buttonsSwapped = false;
    int32_t doubleClickTime = 500;

    std::vector<NativeWindow*> windows;
    int32_t windowClassUsers = 0;
    std::deque<PendingPaint> paints;
    int32_t pumpCount = 0;
    int32_t threadServicesDepth = 0;

    std::vector<NativeEditField*> editFields;
    std::map<int32_t, std::vector<uint8_t>> resources;
};

State& state();

}  // namespace headless
}  // namespace brindlet
