// Headless frame windows drawn into cairo image surfaces, their paint queue, drops and edit fields.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>

#include "toolkit/platform/cairo/CairoTypes.h"
#include "toolkit/platform/headless/HeadlessState.h"

namespace brindlet {

namespace {

bool isOpenWindow(NativeWindow* window) {
    const auto& windows = headless::state().windows;
    return window && std::find(windows.begin(), windows.end(), window) != windows.end();
}

WindowEvents* eventsOf(NativeWindow* window) {
    return (isOpenWindow(window) && !window->destroyedOutside) ? window->events : nullptr;
}

void forgetField(NativeEditField* field) {
    auto& fields = headless::state().editFields;
    fields.erase(std::remove(fields.begin(), fields.end(), field), fields.end());
    delete field;
}

bool isOpenField(NativeEditField* field) {
    const auto& fields = headless::state().editFields;
    return field && std::find(fields.begin(), fields.end(), field) != fields.end();
}

}  // namespace

namespace platform {

NativeWindow* createFrameWindow(void* parent, int32_t width, int32_t height, WindowEvents* events) {
    if (!parent || width < 0 || height < 0) return nullptr;
    NativeWindow* window = new (std::nothrow) NativeWindow;
    if (!window) return nullptr;
    window->parent = parent;
    window->events = events;
    window->surface = createOffscreenSurface(nullptr, width, height);
    if (!window->surface) {
        delete window;
        return nullptr;
    }
    headless::State& s = headless::state();
    s.windows.push_back(window);
    ++s.windowClassUsers;
    return window;
}

void destroyFrameWindow(NativeWindow* window) {
    if (!isOpenWindow(window)) return;
    headless::State& s = headless::state();
    s.windows.erase(std::remove(s.windows.begin(), s.windows.end(), window), s.windows.end());
    std::erase_if(s.paints,
                  [window](const headless::PendingPaint& p) { return p.window == window; });
    std::vector<NativeEditField*> orphans;
    for (NativeEditField* f : s.editFields) {
        if (f->window == window) orphans.push_back(f);
    }
    for (NativeEditField* f : orphans) forgetField(f);
    --s.windowClassUsers;
    destroySurface(window->surface);
    delete window;
}

bool registerDropTarget(NativeWindow* window) {
    if (!isOpenWindow(window)) return false;
    window->dropRegistered = true;
    return true;
}

void revokeDropTarget(NativeWindow* window) {
    if (isOpenWindow(window)) window->dropRegistered = false;
}

NativeSurface* beginWindowDrawing(NativeWindow* window) {
    return (isOpenWindow(window) && !window->destroyedOutside) ? window->surface : nullptr;
}

void endWindowDrawing(NativeWindow*, NativeSurface*) {}

Point getWindowOrigin(NativeWindow* window) {
    return isOpenWindow(window) ? window->origin : Point();
}

// Headless events arrive through the test controls, never queued.
void dispatchWindowEvents(NativeWindow*) {}

void pumpOnePaintMessage() {
    headless::State& s = headless::state();
    if (s.paints.empty()) return;
    const headless::PendingPaint p = s.paints.front();
    s.paints.pop_front();
    ++s.pumpCount;
    headless::paint(p.window, p.update);
}

NativeEditField* createEditField(NativeWindow* window, const EditFieldSpec& spec,
                                 EditFieldEvents* events) {
    if (!isOpenWindow(window)) return nullptr;
    NativeEditField* field = new (std::nothrow) NativeEditField;
    if (!field) return nullptr;
    field->window = window;
    field->events = events;
    headless::EditFieldState& st = field->state;
    st.bounds = spec.bounds;
    st.text = spec.text ? spec.text : "";
    st.maxLength = spec.maxLength;
    if (st.maxLength >= 0 && st.text.size() > size_t(st.maxLength)) st.text.resize(st.maxLength);
    st.align = spec.align;
    st.allSelected = true;
    st.focused = true;
    st.textColor = spec.textColor;
    st.backColor = spec.backColor;
    st.face = spec.font.face ? spec.font.face : "";
    st.fontHeight = spec.font.height;
    st.fontWeight = spec.font.weight;
    headless::state().editFields.push_back(field);
    return field;
}

void destroyEditField(NativeEditField* field) {
    if (isOpenField(field)) forgetField(field);
}

int32_t getEditFieldText(NativeEditField* field, char* out, int32_t capacity) {
    if (!isOpenField(field) || !out || capacity <= 0) return 0;
    const std::string& text = field->state.text;
    const size_t n = std::min(text.size(), size_t(capacity - 1));
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<int32_t>(n);
}

void setEditFieldText(NativeEditField* field, const char* text) {
    if (!isOpenField(field)) return;
    field->state.text = text ? text : "";
    field->state.allSelected = true;
}

}  // namespace platform

namespace headless {

NativeWindow* getLastWindow() {
    return state().windows.empty() ? nullptr : state().windows.back();
}
int32_t getWindowCount() {
    return static_cast<int32_t>(state().windows.size());
}
int32_t getWindowClassUsers() {
    return state().windowClassUsers;
}
bool isDropTargetRegistered(NativeWindow* w) {
    return isOpenWindow(w) && w->dropRegistered;
}

void setWindowOrigin(NativeWindow* window, const Point& screenOrigin) {
    if (isOpenWindow(window)) window->origin = screenOrigin;
}

NativeSurface* getWindowSurface(NativeWindow* w) {
    return isOpenWindow(w) ? w->surface : nullptr;
}

void press(NativeWindow* window, const Point& where, uint32_t physical,
           const std::vector<InputStep>& moves) {
    WindowEvents* events = eventsOf(window);
    if (!events) return;
    setInput(physical, where.offsetBy(window->origin));
    playGesture(moves);
    events->buttonPressed(window->surface, where);
}

void paint(NativeWindow* window, const Rect& update) {
    WindowEvents* events = eventsOf(window);
    if (!events) return;
    cairo_t* cr = window->surface->cr;
    cairo_save(cr);
    cairo_rectangle(cr, update.left, update.top, update.width(), update.height());
    cairo_clip(cr);
    events->paintRequested(window->surface, update);
    cairo_restore(cr);
}

void invalidate(NativeWindow* window, const Rect& update) {
    if (isOpenWindow(window)) state().paints.push_back(PendingPaint{window, update});
}

int32_t getPendingPaints() {
    return static_cast<int32_t>(state().paints.size());
}
int32_t getPumpCount() {
    return state().pumpCount;
}

void dropFiles(NativeWindow* window, const std::vector<std::string>& paths, const Point& where) {
    WindowEvents* events = eventsOf(window);
    if (!events || !window->dropRegistered || paths.empty()) return;
    std::vector<void*> items;
    for (const std::string& p : paths) items.push_back(const_cast<char*>(p.c_str()));
    events->dropped(items.data(), static_cast<int32_t>(items.size()), 0, where);
}

void dropText(NativeWindow* window, const std::string& text, size_t blockSize, const Point& where) {
    WindowEvents* events = eventsOf(window);
    if (!events || !window->dropRegistered || blockSize == 0) return;
    std::vector<char> block(std::max(blockSize, text.size() + 1), '\0');
    std::memcpy(block.data(), text.data(), text.size());
    void* items[1] = {block.data()};
    events->dropped(items, static_cast<int32_t>(blockSize), 1, where);
}

void destroyFromOutside(NativeWindow* window) {
    WindowEvents* events = eventsOf(window);
    if (!events) return;
    window->destroyedOutside = true;
    events->windowDestroyed();
}

NativeSurface* createSurface(int32_t width, int32_t height) {
    return platform::createOffscreenSurface(nullptr, width, height);
}

Color getPixel(NativeSurface* surface, int32_t x, int32_t y) {
    return cairo_backend::pixelAt(surface, x, y);
}

Color getWindowPixel(NativeWindow* window, int32_t x, int32_t y) {
    return getPixel(getWindowSurface(window), x, y);
}

bool savePng(NativeSurface* surface, const std::string& path) {
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    return cairo_backend::writePng(surface, path.c_str());
}

bool saveWindowPng(NativeWindow* window, const std::string& path) {
    return savePng(getWindowSurface(window), path);
}

void releaseFontCaches() {
    cairo_backend::releaseStaticData();
}

NativeEditField* getOpenEditField() {
    return state().editFields.empty() ? nullptr : state().editFields.back();
}

int32_t getEditFieldCount() {
    return static_cast<int32_t>(state().editFields.size());
}

EditFieldState getEditFieldState(NativeEditField* field) {
    return isOpenField(field) ? field->state : EditFieldState();
}

void typeIntoEditField(NativeEditField* field, const std::string& text) {
    if (!isOpenField(field)) return;
    EditFieldState& st = field->state;
    if (st.allSelected) st.text.clear();
    st.allSelected = false;
    st.text += text;
    if (st.maxLength >= 0 && st.text.size() > size_t(st.maxLength)) st.text.resize(st.maxLength);
}

void pressEnterInEditField(NativeEditField* field) {
    if (isOpenField(field) && field->events) field->events->editFieldEnter();
}

void moveFocusAway(NativeEditField* field) {
    if (!isOpenField(field)) return;
    field->state.focused = false;
    if (field->events) field->events->editFieldFocusLost();
}

}  // namespace headless
}  // namespace brindlet
