// The base of everything the frame holds: bounds, dirty flag, reference count and input hooks.
#pragma once

#include <cstdint>

#include "toolkit/core/ButtonState.h"
#include "toolkit/core/Geometry.h"
#include "toolkit/core/KeyCode.h"

namespace brindlet {

class DrawContext;
class Frame;
class FrameEditor;

class View {
public:
    explicit View(const Rect& bounds);
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    virtual void draw(DrawContext* context);
    virtual void drawInRect(DrawContext* context, const Rect& update);
    virtual bool overlaps(const Rect& r) const;
    virtual void onMouseDown(DrawContext* context, const Point& where);
    virtual void redrawIfDirty(DrawContext* context);
    virtual int32_t notify(View* sender, const char* message);
    virtual int32_t onKeyDown(const KeyCode& key);
    virtual int32_t onKeyUp(const KeyCode& key);
    virtual bool onDrop(void** items, int32_t count, int32_t type, const Point& where);
    virtual bool onWheel(DrawContext* context, const Point& where, float distance);
    virtual void loseFocus(DrawContext* context);
    virtual void takeFocus(DrawContext* context);
    virtual bool isDirty() const;
    virtual void setDirty(bool flag);
    virtual void setMouseEnabled(bool enabled);
    virtual bool isMouseEnabled() const;
    virtual void setMouseArea(const Rect& area);
    virtual void getMouseArea(Rect& area) const;
    virtual bool hitTest(const Point& where, ButtonState buttons);
    virtual void setTransparent(bool flag);
    virtual bool isTransparent() const;
    virtual void setBounds(const Rect& r);
    virtual void getBounds(Rect& r) const;
    virtual void setParentView(View* parent);
    virtual void setFrame(Frame* frame);
    virtual FrameEditor* getEditor() const;
    virtual bool onRemoved(View* parent);
    virtual bool onAttached(View* parent);
    virtual void release();
    virtual void retain();
    virtual int32_t getRefCount() const;

    const Rect& bounds() const { return bounds_; }
    Frame* getFrame() const { return frame_; }
    View* getParentView() const { return parentView_; }

protected:
    // Only release() destroys a view.
    virtual ~View();

private:
    friend class Frame;  // addView sets the frame field directly

    int32_t refCount_ = 1;
    Rect bounds_;
    Rect mouseArea_;
    Frame* frame_ = nullptr;
    View* parentView_ = nullptr;
    bool dirty_ = false;
    bool mouseEnabled_ = true;
    bool transparent_ = true;
};

}  // namespace brindlet
