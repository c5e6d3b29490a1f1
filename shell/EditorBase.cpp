// Placeholder editor base until the toolkit's frame exists: answers the editor opcodes without a window.
#include "shell/EditorBase.h"

#include "shell/EditorHost.h"

namespace brindlet {

EditorBase::EditorBase(EditorHost* effect) : effect(effect) {
    if (effect) effect->registerEditor(this);
}

EditorBase::~EditorBase() = default;

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
    if (inIdleStep) return;
    if (updatePending) {
        updatePending = 0;
        update();
    }
}

void EditorBase::update() {}
void EditorBase::postUpdate() { updatePending = 1; }
int32_t EditorBase::onKeyDown(const KeyCode&) { return -1; }
int32_t EditorBase::onKeyUp(const KeyCode&) { return -1; }
int32_t EditorBase::setKnobMode(int32_t) { return 1; }
void EditorBase::setParameter(int32_t, float) { postUpdate(); }
void EditorBase::idleAndPump() {}

}  // namespace brindlet
