// The host-facing side of the editor: rectangle, open and close, idle, keys, and the idle-and-pump
// step.
#pragma once

#include <atomic>
#include <cstdint>

#include "toolkit/core/FrameEditor.h"
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

class EditorBase : public FrameEditor {
public:
    // Registers the editor with the effect at once.
    explicit EditorBase(EditorHost* effect);
    ~EditorBase() override;
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
    // Entry points no host request of this plug-in feeds: wheel movement and a whole-frame redraw.
    virtual bool onWheel(float distance);
    virtual void redraw();
    virtual void setParameter(int32_t index, float value);
    void idleAndPump() override;

    bool beginEdit(int32_t tag) override;
    int32_t endEdit(int32_t tag) override;

    EditorHost* getEffect() const { return effect; }
    Frame* getFrame() const { return frame; }
    void* getParentWindow() const { return parentWindow; }
    bool isUpdatePending() const { return updatePending.load(std::memory_order_relaxed) != 0; }
    uint32_t getNextIdleTime() const { return nextIdleTime; }

protected:
    EditorHost* effect;
    void* parentWindow = nullptr;
    // Set from any thread by setParameter, read by idle on the user-interface thread.
    std::atomic<int32_t> updatePending{0};
    EditorRect rect;
    Frame* frame = nullptr;
    uint32_t nextIdleTime = 0;
    bool inIdleStep = false;
};

}  // namespace brindlet
