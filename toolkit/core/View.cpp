// Default behaviour of views: reference counting, dirty flag, inclusive hit tests.
#include "toolkit/core/View.h"

#include "toolkit/core/Frame.h"

namespace brindlet {

View::View(const Rect& bounds) : bounds_(bounds), mouseArea_(bounds) {}

View::~View() = default;

void View::draw(DrawContext*) {
    setDirty(false);
}

void View::drawInRect(DrawContext* context, const Rect&) {
    draw(context);
}

bool View::overlaps(const Rect& r) const {
    // Touching edges overlap.
    return !(r.right < bounds_.left || r.left > bounds_.right || r.bottom < bounds_.top ||
             r.top > bounds_.bottom);
}

void View::onMouseDown(DrawContext*, const Point&) {}

void View::redrawIfDirty(DrawContext* context) {
    if (!isDirty()) return;
    draw(context);
    setDirty(false);
}

int32_t View::notify(View*, const char*) {
    return 0;
}
int32_t View::onKeyDown(const KeyCode&) {
    return -1;
}
int32_t View::onKeyUp(const KeyCode&) {
    return -1;
}
bool View::onDrop(void**, int32_t, int32_t, const Point&) {
    return false;
}
bool View::onWheel(DrawContext*, const Point&, float) {
    return false;
}
void View::loseFocus(DrawContext*) {}
void View::takeFocus(DrawContext*) {}

bool View::isDirty() const {
    return dirty_;
}
void View::setDirty(bool flag) {
    dirty_ = flag;
}
void View::setMouseEnabled(bool enabled) {
    mouseEnabled_ = enabled;
}
bool View::isMouseEnabled() const {
    return mouseEnabled_;
}
void View::setMouseArea(const Rect& area) {
    mouseArea_ = area;
}
void View::getMouseArea(Rect& area) const {
    area = mouseArea_;
}
bool View::hitTest(const Point& where, ButtonState) {
    return bounds_.contains(where);
}
void View::setTransparent(bool flag) {
    transparent_ = flag;
}
bool View::isTransparent() const {
    return transparent_;
}

void View::setBounds(const Rect& r) {
    bounds_ = r;
    setDirty(true);
}

void View::getBounds(Rect& r) const {
    r = bounds_;
}
void View::setParentView(View* parent) {
    parentView_ = parent;
}
void View::setFrame(Frame* frame) {
    frame_ = frame;
}
FrameEditor* View::getEditor() const {
    return frame_ ? frame_->getEditor() : nullptr;
}
bool View::onRemoved(View*) {
    return true;
}
bool View::onAttached(View*) {
    return true;
}

void View::release() {
    if (refCount_ <= 0) return;
    if (--refCount_ == 0) delete this;
}

void View::retain() {
    ++refCount_;
}
int32_t View::getRefCount() const {
    return refCount_;
}

}  // namespace brindlet
