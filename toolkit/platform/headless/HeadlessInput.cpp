// Headless clock, scripted pointer and buttons, thread services and bitmap resources.
#include "resources/EmbeddedBitmaps.h"
#include "toolkit/platform/headless/HeadlessState.h"

namespace brindlet {

namespace headless {

namespace {
constexpr uint32_t kMouseButtons = kPhysicalLeft | kPhysicalMiddle | kPhysicalRight;
}

State& state() {
    static State s;
    return s;
}

void reset() {
    State& s = state();
    s.ticks = 0;
    s.ticksPerPoll = 0;
    s.sleptMilliseconds = 0;
    s.sleepCount = 0;
    s.current = InputStep();
    s.script.clear();
    s.pointerPolls = 0;
    s.buttonsSwapped = false;
    s.doubleClickTime = 500;
    s.paints.clear();
    s.pumpCount = 0;
    s.resources.clear();
}

void setTicks(uint32_t ticks) {
    state().ticks = ticks;
}
uint32_t getTicks() {
    return state().ticks;
}
void advanceTicks(uint32_t milliseconds) {
    state().ticks += milliseconds;
}
void setTicksPerPoll(uint32_t milliseconds) {
    state().ticksPerPoll = milliseconds;
}
uint32_t getSleptMilliseconds() {
    return state().sleptMilliseconds;
}
int32_t getSleepCount() {
    return state().sleepCount;
}

void setInput(uint32_t physical, const Point& screenPosition) {
    state().current = InputStep{physical, screenPosition};
}

void playGesture(const std::vector<InputStep>& steps) {
    state().script.insert(state().script.end(), steps.begin(), steps.end());
}

int32_t getPendingSteps() {
    return static_cast<int32_t>(state().script.size());
}
int32_t getPointerPolls() {
    return state().pointerPolls;
}
void setButtonsSwapped(bool swapped) {
    state().buttonsSwapped = swapped;
}
void setDoubleClickTime(int32_t milliseconds) {
    state().doubleClickTime = milliseconds;
}
int32_t getThreadServicesDepth() {
    return state().threadServicesDepth;
}

void setBitmapResource(int32_t id, const std::vector<uint8_t>& bytes) {
    state().resources[id] = bytes;
}

void clearBitmapResources() {
    state().resources.clear();
}

}  // namespace headless

namespace platform {

uint32_t getPhysicalInput() {
    return headless::state().current.physical;
}
bool areButtonsSwapped() {
    return headless::state().buttonsSwapped;
}

Point getPointerPosition() {
    headless::State& s = headless::state();
    ++s.pointerPolls;
    s.ticks += s.ticksPerPoll;
    if (!s.script.empty()) {
        s.current = s.script.front();
        s.script.pop_front();
    } else {
        // The gesture is over: let go of the mouse so no tracking loop runs forever.
        s.current.physical &= ~headless::kMouseButtons;
    }
    return s.current.position;
}

uint32_t getTickCount() {
    return headless::state().ticks;
}

void sleepMilliseconds(uint32_t milliseconds) {
    headless::State& s = headless::state();
    s.ticks += milliseconds;
    s.sleptMilliseconds += milliseconds;
    ++s.sleepCount;
}

int32_t getDoubleClickTime() {
    return headless::state().doubleClickTime;
}

void beginThreadServices() {
    ++headless::state().threadServicesDepth;
}
void endThreadServices() {
    --headless::state().threadServicesDepth;
}

bool findBitmapResource(int32_t id, const uint8_t** data, size_t* size) {
    if (!data || !size) return false;
    const auto& overrides = headless::state().resources;
    if (auto it = overrides.find(id); it != overrides.end()) {
        *data = it->second.data();
        *size = it->second.size();
        return true;
    }
    const EmbeddedBitmap* embedded = findEmbeddedBitmap(id);
    if (!embedded) return false;
    *data = embedded->data;
    *size = embedded->size;
    return true;
}

}  // namespace platform
}  // namespace brindlet
