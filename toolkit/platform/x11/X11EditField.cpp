// The native edit field: a small X11 child window of the frame drawing its text with cairo and
// taking typed keys, arrows, Backspace/Delete, Enter and focus loss.
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "toolkit/platform/cairo/CairoTypes.h"
#include "toolkit/platform/x11/X11State.h"

namespace brindlet {

namespace x11 {

namespace {

unsigned long pixelOf(Color c) {
    return (unsigned long)(c.red) << 16 | (unsigned long)(c.green) << 8 | c.blue;
}

Color inverted(Color c) {
    return Color{uint8_t(255 - c.red), uint8_t(255 - c.green), uint8_t(255 - c.blue), c.alpha};
}

void drawField(NativeEditField* f) {
    if (!f->surface) return;
    const Rect all(0, 0, f->spec.bounds.width(), f->spec.bounds.height());
    const Color back = f->allSelected ? inverted(f->spec.backColor) : f->spec.backColor;
    const Color fore = f->allSelected ? inverted(f->spec.textColor) : f->spec.textColor;
    platform::fillRect(f->surface, all, f->spec.backColor);
    if (f->allSelected && !f->text.empty()) {
        platform::fillRect(f->surface, Rect(1, 1, all.right - 1, all.bottom - 1), back);
    }
    const Rect textArea(2, 0, all.right - 2, all.bottom);
    platform::drawText(f->surface, f->text.c_str(), textArea, f->font, fore, false, back,
                       f->spec.align);
    if (f->focused && !f->allSelected) {
        cairo_t* cr = f->surface->cr;
        cairo_text_extents_t full{}, before{};
        if (f->font) {
            cairo_set_font_face(cr, f->font->face);
            cairo_set_font_size(cr, f->font->size);
        }
        cairo_text_extents(cr, f->text.c_str(), &full);
        const std::string head = f->text.substr(0, f->caret);
        cairo_text_extents(cr, head.c_str(), &before);
        double start = textArea.left;
        if (f->spec.align == alignCenter)
            start = (textArea.left + textArea.right - full.x_advance) / 2;
        if (f->spec.align == alignRight) start = textArea.right - full.x_advance;
        const int32_t x = int32_t(start + before.x_advance);
        platform::drawLine(f->surface, Point(x, 2), Point(x, all.bottom - 2), fore, 1, lineSolid);
    }
    cairo_surface_flush(f->surface->surface);
    XFlush(f->owner->display);
}

// XLookupString maps the keyboard layout's keysyms to Latin-1 bytes, the field's own encoding;
// false for control characters and for what Latin-1 cannot hold (XLookupString yields nothing).
bool printableLatin1(const char* bytes, int length, std::string& out) {
    for (int i = 0; i < length; ++i) {
        const unsigned char c = bytes[i];
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return false;
        out.push_back(static_cast<char>(c));
    }
    return true;
}

void insert(NativeEditField* f, const std::string& typed) {
    if (f->allSelected) {
        f->text.clear();
        f->caret = 0;
        f->allSelected = false;
    }
    const size_t limit = f->spec.maxLength > 0 ? size_t(f->spec.maxLength) : 0;
    if (f->text.size() + typed.size() > limit) {
        XBell(f->owner->display, 0);
        return;
    }
    f->text.insert(f->caret, typed);
    f->caret += typed.size();
}

// True when the key was Enter: the field may be gone afterwards.
bool key(NativeEditField* f, XKeyEvent& e) {
    char buffer[32];
    KeySym sym = NoSymbol;
    int n = XLookupString(&e, buffer, sizeof buffer - 1, &sym, nullptr);
    const bool selected = f->allSelected;
    switch (sym) {
        case XK_Return:
        case XK_KP_Enter:
            if (f->events) f->events->editFieldEnter();
            return true;
        case XK_BackSpace:
            if (selected)
                f->text.clear(), f->caret = 0;
            else if (f->caret > 0)
                f->text.erase(--f->caret, 1);
            break;
        case XK_Delete:
            if (selected)
                f->text.clear(), f->caret = 0;
            else if (f->caret < f->text.size())
                f->text.erase(f->caret, 1);
            break;
        case XK_Left:
            f->caret = selected ? 0 : (f->caret > 0 ? f->caret - 1 : 0);
            break;
        case XK_Right:
            f->caret = selected ? f->text.size() : std::min(f->caret + 1, f->text.size());
            break;
        case XK_Home:
            f->caret = 0;
            break;
        case XK_End:
            f->caret = f->text.size();
            break;
        default: {
            // Xutf8LookupString would need an input method, and opening one sets process-wide
            // locale modifiers the host owns; XLookupString's Latin-1 is the field's encoding.
            std::string typed;
            if (n > 0 && printableLatin1(buffer, n, typed)) insert(f, typed);
            drawField(f);
            return false;
        }
    }
    f->allSelected = false;
    drawField(f);
    return false;
}

void click(NativeEditField* f, const XButtonEvent& b) {
    if (b.button != Button1) return;
    // Nearest character boundary to the click.
    cairo_t* cr = f->surface->cr;
    if (f->font) {
        cairo_set_font_face(cr, f->font->face);
        cairo_set_font_size(cr, f->font->size);
    }
    cairo_text_extents_t full{};
    cairo_text_extents(cr, f->text.c_str(), &full);
    const double width = f->spec.bounds.width() - 4;
    double start = 2;
    if (f->spec.align == alignCenter) start = 2 + (width - full.x_advance) / 2;
    if (f->spec.align == alignRight) start = 2 + width - full.x_advance;
    size_t best = 0;
    double bestDistance = 1e9;
    for (size_t i = 0; i <= f->text.size(); ++i) {
        cairo_text_extents_t e{};
        cairo_text_extents(cr, f->text.substr(0, i).c_str(), &e);
        const double d = std::abs(start + e.x_advance - b.x);
        if (d < bestDistance) bestDistance = d, best = i;
    }
    f->caret = best;
    f->allSelected = false;
    drawField(f);
}

void forget(NativeEditField* f) {
    auto& fields = state().fields;
    fields.erase(std::remove(fields.begin(), fields.end(), f), fields.end());
    ErrorTrap trap;
    platform::destroySurface(f->surface);
    platform::destroyFont(f->font);
    if (!f->owner->destroyedOutside) XDestroyWindow(f->owner->display, f->window);
    XFlush(f->owner->display);
    delete f;
}

}  // namespace

bool isOpenField(NativeEditField* field) {
    const auto& fields = state().fields;
    return field && std::find(fields.begin(), fields.end(), field) != fields.end();
}

NativeEditField* fieldOfWindow(Window window) {
    for (NativeEditField* f : state().fields) {
        if (f->window == window) return f;
    }
    return nullptr;
}

void handleFieldEvent(NativeEditField* f, XEvent& e) {
    switch (e.type) {
        case Expose:
            if (e.xexpose.count == 0) drawField(f);
            break;
        case KeyPress:
            key(f, e.xkey);
            break;
        case ButtonPress:
            click(f, e.xbutton);
            break;
        case FocusOut:
            if (e.xfocus.mode == NotifyGrab || e.xfocus.mode == NotifyUngrab) break;
            if (e.xfocus.detail == NotifyInferior || e.xfocus.detail == NotifyPointer) break;
            f->focused = false;
            if (f->events) f->events->editFieldFocusLost();
            break;
        default:
            break;
    }
}

void destroyFieldsOf(NativeWindow* window) {
    std::vector<NativeEditField*> orphans;
    for (NativeEditField* f : state().fields) {
        if (f->owner == window) orphans.push_back(f);
    }
    for (NativeEditField* f : orphans) forget(f);
}

}  // namespace x11

namespace platform {

NativeEditField* createEditField(NativeWindow* window, const EditFieldSpec& spec,
                                 EditFieldEvents* events) {
    if (!x11::isOpenWindow(window) || window->destroyedOutside) return nullptr;
    const int32_t width = std::max(spec.bounds.width(), 1);
    const int32_t height = std::max(spec.bounds.height(), 1);
    NativeEditField* f = new (std::nothrow) NativeEditField;
    if (!f) return nullptr;
    f->owner = window;
    f->events = events;
    f->spec = spec;
    f->text = spec.text ? spec.text : "";
    if (spec.maxLength >= 0 && f->text.size() > size_t(spec.maxLength))
        f->text.resize(spec.maxLength);
    f->caret = f->text.size();
    f->font = createFont(spec.font);
    Display* d = window->display;
    x11::ErrorTrap trap;
    XSetWindowAttributes a{};
    a.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | FocusChangeMask;
    a.background_pixel = x11::pixelOf(spec.backColor);
    f->window =
        XCreateWindow(d, window->window, spec.bounds.left, spec.bounds.top, width, height, 0,
                      CopyFromParent, InputOutput, CopyFromParent, CWEventMask | CWBackPixel, &a);
    cairo_surface_t* s = cairo_xlib_surface_create(d, f->window, window->visual, width, height);
    f->surface = cairo_backend::wrapSurface(s, width, height);
    cairo_surface_destroy(s);
    XMapRaised(d, f->window);
    XSync(d, False);
    XSetInputFocus(d, f->window, RevertToParent, CurrentTime);
    x11::state().fields.push_back(f);
    x11::drawField(f);
    return f;
}

void destroyEditField(NativeEditField* field) {
    if (x11::isOpenField(field)) x11::forget(field);
}

int32_t getEditFieldText(NativeEditField* field, char* out, int32_t capacity) {
    if (!x11::isOpenField(field) || !out || capacity <= 0) return 0;
    const size_t n = std::min(field->text.size(), size_t(capacity - 1));
    std::memcpy(out, field->text.data(), n);
    out[n] = '\0';
    return static_cast<int32_t>(n);
}

void setEditFieldText(NativeEditField* field, const char* text) {
    if (!x11::isOpenField(field)) return;
    field->text = text ? text : "";
    field->caret = field->text.size();
    field->allSelected = false;
    x11::drawField(field);
}

}  // namespace platform
}  // namespace brindlet
