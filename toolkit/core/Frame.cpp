// The frame's view list, redraw protocol and input dispatch.
#include "toolkit/core/Frame.h"

#include <algorithm>
#include <new>

#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/core/FrameEditor.h"
#include "toolkit/draw/DrawContext.h"
#include "toolkit/draw/WindowDrawContext.h"

namespace brindlet {

namespace {
constexpr int32_t kViewListGrowth = 20;

// Every entry from outside that may reach a control, and through it the host, holds the frame:
// a host closing the editor from inside such a call cannot pull the frame from under it.
class Hold {
public:
    explicit Hold(View* view) : view(view) { view->retain(); }
    ~Hold() { view->release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    View* view;
};

}  // namespace

Frame::Frame(const Rect& bounds, void* parentWindow, FrameEditor* editor)
    : View(bounds), editor(editor), parentWindow(parentWindow) {
    platform::beginThreadServices();
    if (!parentWindow) return;
    window = platform::createFrameWindow(parentWindow, bounds.width(), bounds.height(), this);
    if (window) dropRegistered = platform::registerDropTarget(window);
}

Frame::~Frame() {
    if (dropRegistered) {
        platform::revokeDropTarget(window);
        dropRegistered = false;
    }
    removeAllViews(true);
    setBackground(nullptr);
    platform::endThreadServices();
    if (window) platform::destroyFrameWindow(window);
    window = nullptr;
}

// ---- View list -------------------------------------------------------------------------------

bool Frame::grow() {
    View** larger = new (std::nothrow) View*[capacity + kViewListGrowth];
    if (!larger) return false;
    std::copy(views, views + viewCount, larger);
    delete[] views;
    views = larger;
    capacity += kViewListGrowth;
    return true;
}

bool Frame::addView(View* view) {
    if (!view) return false;
    if (viewCount == capacity && !grow()) return false;
    views[viewCount++] = view;
    view->frame_ = this;
    view->onAttached(this);
    return true;
}

int32_t Frame::indexOf(const View* view) const {
    for (int32_t i = 0; i < viewCount; ++i) {
        if (views[i] == view) return i;
    }
    return -1;
}

bool Frame::removeView(View* view, bool release) {
    const int32_t index = indexOf(view);
    if (index < 0) return true;
    // A focus view that goes away must not stay behind as a dangling focus.
    if (view == focusView) clearFocus();
    view->onRemoved(this);
    if (release) view->release();
    std::copy(views + index + 1, views + viewCount, views + index);
    --viewCount;
    return true;
}

bool Frame::removeAllViews(bool release) {
    clearFocus();
    for (int32_t i = 0; i < viewCount; ++i) {
        views[i]->onRemoved(this);
        if (release) views[i]->release();
    }
    delete[] views;
    views = nullptr;
    viewCount = 0;
    capacity = 0;
    return true;
}

bool Frame::containsView(View* view) const {
    return indexOf(view) >= 0;
}
int32_t Frame::getViewCount() const {
    return viewCount;
}

View* Frame::getView(int32_t index) const {
    return (index < 0 || index >= viewCount) ? nullptr : views[index];
}

FrameEditor* Frame::getEditor() const {
    return editor;
}

Bitmap* Frame::setBackground(Bitmap* bitmap) {
    if (bitmap) bitmap->retain();
    if (background) background->release();
    background = bitmap;
    return background;
}

// ---- Focus -----------------------------------------------------------------------------------

void Frame::setFocusView(View* view) {
    View* previous = focusView;
    focusView = view;
    if (previous && previous != view) previous->loseFocus(nullptr);
}

void Frame::clearFocus() {
    if (!focusView) return;
    focusView->loseFocus(nullptr);
    focusView = nullptr;
}

// ---- Drawing ---------------------------------------------------------------------------------

void Frame::draw(DrawContext* context) {
    firstDraw = false;
    if (background && background->hasImage()) {
        const Rect whole(0, 0, background->getWidth(), background->getHeight());
        background->draw(context, whole, Point(0, 0));
    }
    for (int32_t i = 0; i < viewCount; ++i) views[i]->draw(context);
}

void Frame::drawInRect(DrawContext* context, const Rect& update) {
    firstDraw = false;
    if (background) background->draw(context, update, update.topLeft());
    for (int32_t i = 0; i < viewCount; ++i) {
        if (views[i]->overlaps(update)) views[i]->drawInRect(context, update);
    }
}

void Frame::redrawIfDirty(DrawContext* context) {
    if (!isOpen) return;
    if (isDirty()) {
        draw(context);
        setDirty(false);
        return;
    }
    for (int32_t i = 0; i < viewCount; ++i) views[i]->redrawIfDirty(context);
}

void Frame::idle() {
    if (closing || !window) return;
    Hold hold(this);
    // The window system's queue is read here, on the thread that owns the window; its handlers
    // may close the frame, which then takes effect when this call unwinds.
    platform::dispatchWindowEvents(window);
    if (!isOpen || closing || firstDraw || !window) return;
    if (!isDirty()) {
        const bool anyDirty =
            std::any_of(views, views + viewCount, [](const View* v) { return v->isDirty(); });
        if (!anyDirty) return;
    }
    WindowDrawContext context(this);
    redrawIfDirty(&context);
}

void Frame::redrawView(View* view) {
    if (!window || closing) return;
    Hold hold(this);
    WindowDrawContext context(this);
    if (view && containsView(view)) {
        view->draw(&context);
    } else {
        draw(&context);
    }
}

// ---- Input -----------------------------------------------------------------------------------

void Frame::onMouseDown(DrawContext* context, const Point& where) {
    if (closing) return;
    Hold hold(this);
    clearFocus();
    const ButtonState buttons = context ? context->getMouseButtons() : kButtonsNotRead;
    for (int32_t i = viewCount - 1; i >= 0; --i) {
        View* view = views[i];
        if (view->isMouseEnabled() && view->hitTest(where, buttons)) {
            view->onMouseDown(context, where);
            return;
        }
    }
}

int32_t Frame::offerKey(const KeyCode& key, bool down) {
    if (closing) return -1;
    Hold hold(this);
    auto offer = [&](View* v) { return down ? v->onKeyDown(key) : v->onKeyUp(key); };
    if (focusView) {
        const int32_t answer = offer(focusView);
        if (answer != -1) return answer;
    }
    for (int32_t i = viewCount - 1; i >= 0; --i) {
        const int32_t answer = offer(views[i]);
        if (answer != -1) return answer;
    }
    return -1;
}

int32_t Frame::onKeyDown(const KeyCode& key) {
    return offerKey(key, true);
}
int32_t Frame::onKeyUp(const KeyCode& key) {
    return offerKey(key, false);
}

bool Frame::onDrop(void** items, int32_t count, int32_t type, const Point& where) {
    if (focusView || closing) return false;
    Hold hold(this);
    for (int32_t i = viewCount - 1; i >= 0; --i) {
        View* view = views[i];
        if (view->isMouseEnabled() && view->bounds().contains(where) &&
            view->onDrop(items, count, type, where)) {
            return true;
        }
    }
    return false;
}

bool Frame::onWheel(DrawContext* context, const Point&, float distance) {
    if (closing) return false;
    Hold hold(this);
    Point location;
    getCursorLocation(location);
    View* target = nullptr;
    for (int32_t i = viewCount - 1; i >= 0 && !target; --i) {
        if (views[i]->bounds().contains(location)) target = views[i];
    }
    if (!target) return false;
    if (context) return target->onWheel(context, location, distance);
    WindowDrawContext temporary(this);
    return target->onWheel(&temporary, location, distance);
}

bool Frame::getCursorLocation(Point& where) const {
    const Point pointer = platform::getPointerPosition();
    const Point origin = platform::getWindowOrigin(window);
    where = Point(pointer.h - origin.h, pointer.v - origin.v);
    return true;
}

uint32_t Frame::getTicks() const {
    return editor ? platform::getTickCount() : 0;
}

bool Frame::beginEdit(int32_t tag) {
    return editor ? editor->beginEdit(tag) : false;
}
int32_t Frame::endEdit(int32_t tag) {
    return editor ? editor->endEdit(tag) : 0;
}

// ---- Window events ---------------------------------------------------------------------------

void Frame::closeWhenReleased() {
    closing = true;
    release();
}

void Frame::paintRequested(NativeSurface* surface, const Rect& update) {
    if (closing) return;
    Hold hold(this);
    DrawContext context(this, surface, window);
    drawInRect(&context, update);
}

void Frame::buttonPressed(NativeSurface* surface, const Point& where) {
    if (closing) return;
    Hold hold(this);
    DrawContext context(this, surface, window);
    onMouseDown(&context, where);
}

void Frame::wheelTurned(NativeSurface* surface, const Point& where, float distance) {
    if (closing) return;
    Hold hold(this);
    DrawContext context(this, surface, window);
    onWheel(&context, where, distance);
}

void Frame::dropped(void** items, int32_t count, int32_t type, const Point& where) {
    onDrop(items, count, type, where);
}

void Frame::wheelTurned(const Point& where, float distance) {
    if (closing) return;
    Hold hold(this);
    onWheel(nullptr, where, distance);
}

void Frame::windowDestroyed() {
    isOpen = false;
    parentWindow = nullptr;
}

}  // namespace brindlet
