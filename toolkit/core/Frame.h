// The top-level view: owns the children, dispatches input to them and redraws them.
#pragma once

#include <cstdint>

#include "toolkit/core/View.h"
#include "toolkit/platform/Platform.h"

namespace brindlet {

class Bitmap;

class Frame : public View, private WindowEvents {
public:
    // A native window is created only when parentWindow is not null.
    Frame(const Rect& bounds, void* parentWindow, FrameEditor* editor);
    ~Frame() override;

    void draw(DrawContext* context) override;
    void drawInRect(DrawContext* context, const Rect& update) override;
    void onMouseDown(DrawContext* context, const Point& where) override;
    void redrawIfDirty(DrawContext* context) override;
    int32_t onKeyDown(const KeyCode& key) override;
    int32_t onKeyUp(const KeyCode& key) override;
    bool onDrop(void** items, int32_t count, int32_t type, const Point& where) override;
    bool onWheel(DrawContext* context, const Point& where, float distance) override;
    FrameEditor* getEditor() const override;

    virtual bool addView(View* view);
    virtual bool removeView(View* view, bool release = true);
    virtual bool removeAllViews(bool release = true);
    virtual bool containsView(View* view) const;
    virtual int32_t getViewCount() const;
    virtual View* getView(int32_t index) const;

    Bitmap* setBackground(Bitmap* bitmap);
    Bitmap* getBackground() const { return background; }
    void setFocusView(View* view);
    View* getFocusView() const { return focusView; }
    void redrawView(View* view);
    void idle();
    bool getCursorLocation(Point& where) const;
    uint32_t getTicks() const;
    bool beginEdit(int32_t tag);
    int32_t endEdit(int32_t tag);
    // The owner is done with the frame, perhaps from inside a call the frame is still running (a
    // host closing the editor from a request sent during a drag): input and drawing stop, mouse
    // buttons read as released so tracking loops end, and the frame with its window goes when
    // the last call holding it unwinds. Takes over the owner's reference.
    void closeWhenReleased();
    bool isClosing() const { return closing; }

    int32_t getCapacity() const { return capacity; }
    bool isWindowOpen() const { return isOpen; }
    bool isFirstDraw() const { return firstDraw; }
    NativeWindow* getWindow() const { return window; }
    void* getParentWindow() const { return parentWindow; }

private:
    void paintRequested(NativeSurface* surface, const Rect& update) override;
    void buttonPressed(NativeSurface* surface, const Point& where) override;
    void wheelTurned(NativeSurface* surface, const Point& where, float distance) override;
    void dropped(void** items, int32_t count, int32_t type, const Point& where) override;
    void windowDestroyed() override;
    void wheelTurned(const Point& where, float distance) override;

    bool grow();
    int32_t indexOf(const View* view) const;
    int32_t offerKey(const KeyCode& key, bool down);
    void clearFocus();

    FrameEditor* editor;
    void* parentWindow;
    Bitmap* background = nullptr;
    int32_t viewCount = 0;
    int32_t capacity = 0;
    View** views = nullptr;
    View* focusView = nullptr;
    bool firstDraw = true;
    bool isOpen = true;
    bool dropRegistered = false;
    bool closing = false;
    NativeWindow* window = nullptr;
};

}  // namespace brindlet
