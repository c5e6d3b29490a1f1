// The native text entry: an EDIT control over the frame window, committed by Enter or focus loss.
#include <new>

#include "toolkit/platform/win32/Win32Types.h"

namespace brindlet {

namespace {

LRESULT CALLBACK editFieldProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

NativeEditField* fieldOf(HWND edit) {
    if (!edit ||
        GetWindowLongPtrA(edit, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&editFieldProc)) {
        return nullptr;
    }
    return reinterpret_cast<NativeEditField*>(GetWindowLongPtrA(edit, GWLP_USERDATA));
}

LRESULT CALLBACK editFieldProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    NativeEditField* field = fieldOf(edit);
    if (!field) return DefWindowProcA(edit, message, wParam, lParam);
    const WNDPROC previous = field->previousProc;
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                // The owner may destroy the field here: nothing of it is touched afterwards.
                if (field->events) field->events->editFieldEnter();
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r' || wParam == '\n') return 0;  // no beep for the handled Enter
            break;
        case WM_KILLFOCUS: {
            const LRESULT result = CallWindowProcA(previous, edit, message, wParam, lParam);
            if (field->events) field->events->editFieldFocusLost();
            return result;
        }
        default:
            break;
    }
    return CallWindowProcA(previous, edit, message, wParam, lParam);
}

DWORD alignStyle(TextAlign align) {
    return align == alignCenter ? ES_CENTER : align == alignRight ? ES_RIGHT : ES_LEFT;
}

}  // namespace

namespace win32 {

HBRUSH editFieldColors(HWND control, HDC dc) {
    NativeEditField* field = fieldOf(control);
    if (!field) return nullptr;
    SetTextColor(dc, field->textColor);
    SetBkColor(dc, field->backColor);
    return field->backBrush;
}

}  // namespace win32

namespace platform {

NativeEditField* createEditField(NativeWindow* window, const EditFieldSpec& spec,
                                 EditFieldEvents* events) {
    if (!window || !IsWindow(window->hwnd)) return nullptr;
    NativeEditField* field = new (std::nothrow) NativeEditField;
    if (!field) return nullptr;
    const Rect& r = spec.bounds;
    field->edit = CreateWindowExA(0, "EDIT", spec.text ? spec.text : "",
                                  WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | alignStyle(spec.align),
                                  r.left, r.top, r.width(), r.height(), window->hwnd, nullptr,
                                  win32::moduleHandle(), nullptr);
    if (!field->edit) {
        delete field;
        return nullptr;
    }
    field->window = window;
    field->textColor = win32::colorRef(spec.textColor);
    field->backColor = win32::colorRef(spec.backColor);
    field->backBrush = CreateSolidBrush(field->backColor);
    const FontDescription& f = spec.font;
    field->font =
        CreateFontA(f.height, 0, 0, 0, f.weight, f.italic, f.underline, FALSE, ANSI_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    static_cast<DWORD>(f.pitchAndFamily), (f.face && f.face[0]) ? f.face : "Arial");
    if (field->font)
        SendMessageA(field->edit, WM_SETFONT, reinterpret_cast<WPARAM>(field->font), 0);
    if (spec.maxLength > 0) SendMessageA(field->edit, EM_LIMITTEXT, spec.maxLength, 0);
    SetWindowLongPtrA(field->edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(field));
    field->previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(field->edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&editFieldProc)));
    SendMessageA(field->edit, EM_SETSEL, 0, -1);
    // Events start after the field has the focus, so taking it reports nothing.
    SetFocus(field->edit);
    field->events = events;
    return field;
}

void destroyEditField(NativeEditField* field) {
    if (!field) return;
    field->events = nullptr;  // losing the focus while it goes is no commit
    if (IsWindow(field->edit)) {
        SetWindowLongPtrA(field->edit, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(field->previousProc));
        SetWindowLongPtrA(field->edit, GWLP_USERDATA, 0);
        DestroyWindow(field->edit);
    }
    if (field->font) DeleteObject(field->font);
    if (field->backBrush) DeleteObject(field->backBrush);
    delete field;
}

int32_t getEditFieldText(NativeEditField* field, char* out, int32_t capacity) {
    if (!field || !out || capacity <= 0) return 0;
    out[0] = '\0';
    if (!IsWindow(field->edit)) return 0;
    return GetWindowTextA(field->edit, out, capacity);
}

void setEditFieldText(NativeEditField* field, const char* text) {
    if (field && IsWindow(field->edit)) SetWindowTextA(field->edit, text ? text : "");
}

}  // namespace platform
}  // namespace brindlet
