// The host-facing side of the editor: rectangle, open and close, idle, keys, and the idle-and-pump step.
#pragma once

#include <cstdint>

#include "toolkit/core/KeyCode.h"

namespace brindlet {

class EditorHost;
class Frame;

// Same layout as the host interface's editor rectangle.
struct EditorRect {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
};

class EditorBase {
public:
    explicit EditorBase(EditorHost* effect);
    virtual ~EditorBase();
    EditorBase(const EditorBase&) = delete;
    EditorBase& operator=(const EditorBase&) = delete;

    virtual bool getRect(EditorRect** rect);
    virtual int32_t open(void* parentWindow);
    virtual void close();
    virtual void idle();
    virtual void update();
    virtual void postUpdate();
    virtual int32_t onKeyDown(const KeyCode& key);
    virtual int32_t onKeyUp(const KeyCode& key);
    virtual int32_t setKnobMode(int32_t mode);
    virtual void setParameter(int32_t index, float value);
    virtual void idleAndPump();

    EditorHost* getEffect() const { return effect; }
    Frame* getFrame() const { return frame; }

protected:
    EditorHost* effect;
    void* parentWindow = nullptr;
    int32_t updatePending = 0;
    EditorRect rect;
    Frame* frame = nullptr;
    uint32_t nextIdleTime = 0;
    bool inIdleStep = false;
};

}  // namespace brindlet
