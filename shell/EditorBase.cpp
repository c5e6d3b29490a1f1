// The editor's host side: idle with pending updates, key forwarding and the throttled idle-and-pump
// step.
#include "shell/EditorBase.h"

#include "shell/EditorHost.h"
#include "toolkit/core/Frame.h"
#include "toolkit/platform/Platform.h"

namespace brindlet {

namespace {
constexpr uint32_t kPumpSleep = 4;        // ms slept by a call that is not due yet
constexpr uint32_t kRunEarlyWindow = 50;  // a call this close to the due time runs anyway
constexpr uint32_t kIdleInterval = 100;   // ms from one run to the next due time
}  // namespace

EditorBase::EditorBase(EditorHost* effect) : effect(effect) {
    if (effect) effect->registerEditor(this);
    nextIdleTime = platform::getTickCount();
    platform::beginThreadServices();
}

EditorBase::~EditorBase() {
    platform::endThreadServices();
}

bool EditorBase::getRect(EditorRect** out) {
    if (!out) return false;
    *out = &rect;
    return true;
}

int32_t EditorBase::open(void* parent) {
    postUpdate();
    parentWindow = parent;
    return 0;
}

void EditorBase::close() {}

void EditorBase::idle() {
    if (inIdleStep) return;  // the host called back from inside its own idle handling
    if (updatePending.exchange(0, std::memory_order_relaxed) != 0) update();
    if (frame) frame->idle();
}

void EditorBase::update() {}
void EditorBase::postUpdate() {
    updatePending.store(1, std::memory_order_relaxed);
}

int32_t EditorBase::onKeyDown(const KeyCode& key) {
    return frame ? frame->onKeyDown(key) : -1;
}
int32_t EditorBase::onKeyUp(const KeyCode& key) {
    return frame ? frame->onKeyUp(key) : -1;
}
int32_t EditorBase::setKnobMode(int32_t) {
    return 1;
}

bool EditorBase::onWheel(float distance) {
    return frame ? frame->onWheel(nullptr, Point(), distance) : false;
}

void EditorBase::redraw() {
    if (frame) frame->redrawView(nullptr);
}

void EditorBase::setParameter(int32_t, float) {
    postUpdate();
}

void EditorBase::idleAndPump() {
    const uint32_t t = platform::getTickCount();
    uint32_t now = t;
    if (t < nextIdleTime) {
        platform::sleepMilliseconds(kPumpSleep);
        now = t + kPumpSleep;  // no second reading of the clock
        if (now < nextIdleTime - kRunEarlyWindow) return;
    }
    idle();
    platform::pumpOnePaintMessage();
    nextIdleTime = now + kIdleInterval;
    inIdleStep = true;
    if (effect) effect->hostIdle();
    inIdleStep = false;
}

bool EditorBase::beginEdit(int32_t tag) {
    return effect ? effect->beginEdit(tag) : false;
}
int32_t EditorBase::endEdit(int32_t tag) {
    return effect && effect->endEdit(tag) ? 1 : 0;
}

}  // namespace brindlet
