// Text entry: opening the native field, taking its text back on Enter or focus loss, and
// reporting.
#include "editor/TextEdit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "toolkit/core/ControlListener.h"
#include "toolkit/core/Frame.h"
#include "toolkit/draw/DrawContext.h"
#include "toolkit/draw/WindowDrawContext.h"

namespace brindlet {

namespace {
// The field takes at most this many characters; its text is read back with one fewer.
constexpr int32_t kFieldLimit = kTextBufferSize - 1;

// Bounded copy that always terminates; src may be longer than the destination.
void copyText(char* dest, const char* src) {
    std::size_t n = 0;
    while (n < std::size_t(kTextBufferSize - 1) && src[n] != '\0') ++n;
    std::memcpy(dest, src, n);
    dest[n] = '\0';
}
}  // namespace

TextEdit::TextEdit(const Rect& bounds, ControlListener* listener, int32_t tag, const char* initial,
                   Bitmap* background, int32_t style)
    : TextDisplay(bounds, listener, tag, background, style) {
    if (initial) copyText(text, initial);
}

TextEdit::~TextEdit() {
    platform::destroyEditField(editField);
}

void TextEdit::setText(const char* newText) {
    if (!newText) return;
    char copy[kTextBufferSize];
    copyText(copy, newText);
    if (std::strcmp(copy, text) == 0) return;
    std::memcpy(text, copy, sizeof text);
    setDirty(true);
    if (!editField) return;
    char shown[kTextBufferSize];
    platform::getEditFieldText(editField, shown, kFieldLimit);
    if (std::strcmp(shown, fieldText) != 0) return;  // typed text is left alone
    platform::setEditFieldText(editField, text);
    std::memcpy(fieldText, text, sizeof text);
}

void TextEdit::setRefreshText(TextRefreshFunction function, void* data) {
    refreshText = function;
    refreshData = data;
}

void TextEdit::getText(char* out) const {
    if (out) std::memcpy(out, text, sizeof text);
}

void TextEdit::setEditConvertEx(EditConvertExFunction function, void* data) {
    editConvertEx = function;
    userData = data;
}
void TextEdit::setEditConvert(EditConvertFunction function) {
    editConvert = function;
}

void TextEdit::draw(DrawContext* context) {
    if (editField) {
        // The native field shows the text while it is open.
        setDirty(false);
        return;
    }
    char shown[kTextBufferSize] = {};
    if (editConvertEx) {
        editConvertEx(text, shown, userData);
    } else if (editConvert) {
        editConvert(text, shown);
    } else {
        std::snprintf(shown, sizeof shown, "%s", text);
    }
    shown[kTextBufferSize - 1] = '\0';
    drawText(context, shown);
    setDirty(false);
}

void TextEdit::onMouseDown(DrawContext* context, const Point&) {
    if (!isMouseEnabled() || !context) return;
    if (!(context->getMouseButtons() & kLButton)) return;
    Frame* frame = getFrame();
    if (frame && frame->getFocusView() == this) return;  // the field is already open
    if ((getStyle() & kStyleDoubleClick) && !checkDoubleClick()) return;
    if (frame) frame->setFocusView(this);
    takeFocus(context);
}

EditFieldSpec TextEdit::fieldSpec(DrawContext* context) const {
    Rect r = bounds();
    if (context) r = r.offsetBy(context->getOffset());
    const FontTableEntry& entry = kFontTable[validFontId(getFont())];
    EditFieldSpec spec;
    // The field covers the control's edges inclusively.
    spec.bounds = Rect(r.left, r.top, r.right + 1, r.bottom + 1);
    spec.text = text;
    const TextAlign a = getAlign();
    spec.align = (a == alignLeft || a == alignRight) ? a : alignCenter;
    spec.font.face = entry.face;
    spec.font.height = -std::min(r.bottom - r.top - 2, entry.defaultSize);
    spec.font.weight = 400;
    spec.font.pitchAndFamily = kFamilySwissVariable;
    spec.textColor = getFontColor();
    spec.backColor = getBackColor();
    spec.maxLength = kFieldLimit;
    return spec;
}

void TextEdit::takeFocus(DrawContext* context) {
    Frame* frame = getFrame();
    if (editField || !frame) return;
    if (refreshText) refreshText(refreshData);
    editField = platform::createEditField(frame->getWindow(), fieldSpec(context), this);
    if (editField) platform::getEditFieldText(editField, fieldText, kFieldLimit);
    // Without a field the control must not stay the focus view, or no click could open it again.
    if (!editField && frame->getFocusView() == this) frame->setFocusView(nullptr);
}

void TextEdit::loseFocus(DrawContext* context) {
    Frame* frame = getFrame();
    if (!editField || !frame || frame->getFocusView() != this) return;
    frame->setFocusView(nullptr);
    char typed[kTextBufferSize];
    platform::getEditFieldText(editField, typed, kFieldLimit);
    platform::destroyEditField(editField);
    // Only typing reports: a value that arrived while the field was open is already in `text`,
    // and an Enter on the untouched field must not set the older one back.
    const bool changed = std::strcmp(typed, fieldText) != 0 && std::strcmp(typed, text) != 0;
    if (changed) std::memcpy(text, typed, sizeof text);
    // editField stays set until the report is over: the control's own drawing is still
    // suppressed while the listener runs.
    if (changed) reportChange(context);
    editField = nullptr;
    View* parent = getParentView();
    if (parent) {
        parent->notify(this, "LooseFocus");
    } else {
        frame->notify(this, "LooseFocus");
    }
}

void TextEdit::reportChange(DrawContext* context) {
    ControlListener* l = getListener();
    if (!l) return;
    if (context) {
        l->valueChanged(context, this);
        return;
    }
    WindowDrawContext temporary(getFrame());
    if (View* parent = getParentView()) temporary.setOffset(parent->bounds().topLeft());
    l->valueChanged(&temporary, this);
}

// The report may reach a host that closes the editor at once; holding the frame keeps it, and
// this control with it, until the report has unwound.
void TextEdit::leaveField() {
    Frame* frame = getFrame();
    if (frame) frame->retain();
    loseFocus(nullptr);
    if (frame) frame->release();
}

void TextEdit::editFieldEnter() {
    leaveField();
}
void TextEdit::editFieldFocusLost() {
    leaveField();
}

}  // namespace brindlet
