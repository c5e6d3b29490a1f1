// The plug-in's editor: its window layout and the binding between controls and parameters.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "editor/EditorLayout.h"
#include "shell/EditorBase.h"
#include "toolkit/core/ControlListener.h"

namespace brindlet {

class Bitmap;
class Control;
class SweepDisplay;
class TextEdit;

class PluginEditor : public EditorBase, public ControlListener {
public:
    static constexpr int32_t kBackgroundId = 128;
    static constexpr int32_t kFirstBitmapId = 129;
    static constexpr int32_t kLastBitmapId = 170;
    static constexpr int32_t kNumControls = kNumLayoutRows - 1;  // the display is held apart

    // Loads the background and takes its size as the editor rectangle.
    explicit PluginEditor(EditorHost* effect);
    // Closes a window that is still open first.
    ~PluginEditor() override;

    // Builds the frame and every control and brings them to the effect's values. Answers 1, or 0
    // with nothing left behind when the frame, its window or a control cannot be made.
    int32_t open(void* parentWindow) override;
    // Waits for parameter calls still running on other threads, then destroys the window.
    void close() override;
    // Brings texts that other threads changed up to date, then redraws.
    void idle() override;
    // Any thread: parameters, feeds and the editor's own actions; ignored while closed.
    void setParameter(int32_t index, float value) override;
    void valueChanged(DrawContext* context, Control* control) override;

    // The typed "Pitch/ End" value: first 7 characters, digits and the first point kept, at most
    // 1.
    static float parseEndEntry(const char* text);

    // ---- Inspection ----------------------------------------------------------------------------
    bool isEditorOpen() const { return isOpen.load(std::memory_order_acquire); }
    // The control of layout row `row` (the display included), or null while closed.
    Control* getLayoutControl(int32_t row) const;
    SweepDisplay* getDisplay() const { return display; }
    TextEdit* getTextEdit() const;
    Bitmap* getBackgroundBitmap() const { return background; }
    // A bitmap loaded by open (ids 129 .. 170), or null.
    Bitmap* getBitmap(int32_t id) const;

private:
    // Counts a parameter call in for its whole length, so close can wait until none runs.
    class CallScope;

    bool loadBitmaps();
    bool buildControls();
    Control* createControl(const LayoutRow& row);
    void releaseBitmaps();
    void tearDown();
    // Both answer whether the host is to be asked to update its display.
    bool applyParameter(int32_t index, float value);
    void showParameter(int32_t index);
    bool runAction(int32_t index);
    void setControlValue(int32_t tag, float value);
    void queueEndText(float value);
    void applyEndText();
    bool onUserInterfaceThread() const;

    Control* controls[kNumControls] = {};
    SweepDisplay* display = nullptr;
    Bitmap* background = nullptr;
    Bitmap* bitmaps[kLastBitmapId - kFirstBitmapId + 1] = {};
    // Set once everything exists, cleared before anything is destroyed.
    std::atomic<bool> isOpen{false};
    // Parameter calls running now, on any thread.
    std::atomic<int32_t> activeCalls{0};
    // "Pitch/ End" as the text field should show it, formatted on the window's thread.
    std::atomic<float> pendingEndValue{0.0f};
    std::atomic<bool> endTextPending{false};
    // The value the text field's text stands for, for entry actions arriving on other threads.
    std::atomic<float> entryValue{0.0f};
    std::thread::id windowThread;

    static_assert(std::atomic<bool>::is_always_lock_free);
    static_assert(std::atomic<int32_t>::is_always_lock_free);
    static_assert(std::atomic<float>::is_always_lock_free);
};

}  // namespace brindlet
