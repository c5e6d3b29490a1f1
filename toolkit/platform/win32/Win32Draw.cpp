// GDI drawing: DIB-section offscreen surfaces, pens, brushes, fonts by name, images and keyed
// blits.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "toolkit/platform/win32/Win32Backend.h"
#include "toolkit/platform/win32/Win32Types.h"

namespace brindlet {

namespace {

using TransparentBltProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

std::atomic<bool> transparentBltAllowed{true};

// TransparentBlt lives in msimg32.dll; loaded once and kept for the life of the process.
TransparentBltProc transparentBlt() {
    static const TransparentBltProc proc = [] {
        HMODULE library = LoadLibraryA("msimg32.dll");
        return library ? reinterpret_cast<TransparentBltProc>(
                             reinterpret_cast<void*>(GetProcAddress(library, "TransparentBlt")))
                       : nullptr;
    }();
    return transparentBltAllowed.load(std::memory_order_relaxed) ? proc : nullptr;
}

HBITMAP createDib(HDC dc, int32_t width, int32_t height, void** pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, pixels, nullptr, 0);
}

// Selects `object` into `dc` for the life of the guard.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, previous_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A memory DC holding an image's bitmap for one blit.
class ImageDc {
public:
    ImageDc(HDC compatible, NativeImage* image)
        : dc_(CreateCompatibleDC(compatible)), previous_(SelectObject(dc_, image->bitmap)) {}
    ~ImageDc() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    ImageDc(const ImageDc&) = delete;
    ImageDc& operator=(const ImageDc&) = delete;
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The mask way: the key colour's pixels become white in a monochrome mask, then
// dest ^= image, dest &= mask, dest ^= image leaves them untouched and copies the rest.
void maskedBlit(HDC source, const Point& from, HDC dest, const Rect& to, Color key) {
    const int w = to.width(), h = to.height();
    HDC maskDc = CreateCompatibleDC(dest);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    if (!maskDc || !mask) {
        if (mask) DeleteObject(mask);
        if (maskDc) DeleteDC(maskDc);
        return;
    }
    {
        Selected maskSelected(maskDc, mask);
        const COLORREF oldSourceBack = SetBkColor(source, win32::colorRef(key));
        BitBlt(maskDc, 0, 0, w, h, source, from.h, from.v, SRCCOPY);
        SetBkColor(source, oldSourceBack);
        const COLORREF oldBack = SetBkColor(dest, RGB(255, 255, 255));
        const COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
        BitBlt(dest, to.left, to.top, w, h, source, from.h, from.v, SRCINVERT);
        BitBlt(dest, to.left, to.top, w, h, maskDc, 0, 0, SRCAND);
        BitBlt(dest, to.left, to.top, w, h, source, from.h, from.v, SRCINVERT);
        SetBkColor(dest, oldBack);
        SetTextColor(dest, oldText);
    }
    DeleteObject(mask);
    DeleteDC(maskDc);
}

HFONT defaultFont() {
    static const HFONT font =
        CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, kFamilySwissVariable, "Arial");
    return font;
}

bool usable(NativeSurface* s) {
    return s && s->dc;
}

}  // namespace

namespace win32 {

void setTransparentBltAllowed(bool allowed) {
    transparentBltAllowed.store(allowed, std::memory_order_relaxed);
}

uint32_t getSurfacePixel(NativeSurface* s, int32_t x, int32_t y) {
    if (!s || !s->pixels || x < 0 || y < 0 || x >= s->width || y >= s->height) return 0;
    GdiFlush();
    const uint32_t bgr = static_cast<const uint32_t*>(s->pixels)[size_t(y) * s->width + x];
    return ((bgr >> 16) & 0xFF) | (bgr & 0xFF00) | ((bgr & 0xFF) << 16);
}

}  // namespace win32

namespace platform {

NativeSurface* createOffscreenSurface(NativeSurface* compatible, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return nullptr;
    NativeSurface* s = new (std::nothrow) NativeSurface;
    if (!s) return nullptr;
    s->dc = CreateCompatibleDC(compatible ? compatible->dc : nullptr);
    s->bitmap = s->dc ? createDib(s->dc, width, height, &s->pixels) : nullptr;
    if (!s->bitmap) {
        if (s->dc) DeleteDC(s->dc);
        delete s;
        return nullptr;
    }
    s->previousBitmap = SelectObject(s->dc, s->bitmap);
    s->width = width;
    s->height = height;
    return s;
}

void destroySurface(NativeSurface* s) {
    if (!s) return;
    if (s->bitmap) {
        SelectObject(s->dc, s->previousBitmap);
        DeleteObject(s->bitmap);
        DeleteDC(s->dc);
    }
    delete s;
}

void drawLine(NativeSurface* s, const Point& from, const Point& to, Color color, int32_t width,
              LineStyle style) {
    if (!usable(s) || from == to) return;
    HPEN pen = nullptr;
    if (width <= 1) {
        pen = CreatePen(style == lineDotted ? PS_DOT : PS_SOLID, 1, win32::colorRef(color));
    } else {
        LOGBRUSH brush{BS_SOLID, win32::colorRef(color), 0};
        const DWORD dash = style == lineDotted ? PS_DOT : PS_SOLID;
        pen = ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | dash, width, &brush, 0, nullptr);
    }
    if (!pen) return;
    {
        Selected selected(s->dc, pen);
        const int oldMode = SetBkMode(s->dc, TRANSPARENT);
        MoveToEx(s->dc, from.h, from.v, nullptr);
        LineTo(s->dc, to.h, to.v);
        SetBkMode(s->dc, oldMode);
    }
    DeleteObject(pen);
}

void fillRect(NativeSurface* s, const Rect& area, Color color) {
    if (!usable(s) || area.width() <= 0 || area.height() <= 0) return;
    HBRUSH brush = CreateSolidBrush(win32::colorRef(color));
    if (!brush) return;
    const RECT r{area.left, area.top, area.right, area.bottom};
    FillRect(s->dc, &r, brush);
    DeleteObject(brush);
}

NativeFont* createFont(const FontDescription& d) {
    const char* face = (d.face && d.face[0]) ? d.face : "Arial";
    HFONT handle = CreateFontA(d.height, 0, 0, 0, d.weight, d.italic, d.underline, FALSE,
                               ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, static_cast<DWORD>(d.pitchAndFamily), face);
    if (!handle) return nullptr;
    NativeFont* font = new (std::nothrow) NativeFont;
    if (!font) {
        DeleteObject(handle);
        return nullptr;
    }
    font->font = handle;
    return font;
}

void destroyFont(NativeFont* font) {
    if (!font) return;
    DeleteObject(font->font);
    delete font;
}

void drawText(NativeSurface* s, const char* text, const Rect& area, NativeFont* font, Color color,
              bool opaque, Color back, TextAlign align) {
    if (!usable(s) || !text || area.width() <= 0 || area.height() <= 0) return;
    HFONT handle = (font && font->font) ? font->font : defaultFont();
    Selected selected(s->dc, handle);
    const COLORREF oldText = SetTextColor(s->dc, win32::colorRef(color));
    const COLORREF oldBack = SetBkColor(s->dc, win32::colorRef(back));
    const int oldMode = SetBkMode(s->dc, opaque ? OPAQUE : TRANSPARENT);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    format |= align == alignCenter ? DT_CENTER : align == alignRight ? DT_RIGHT : DT_LEFT;
    RECT r{area.left, area.top, area.right, area.bottom};
    DrawTextA(s->dc, text, -1, &r, format);
    SetBkMode(s->dc, oldMode);
    SetBkColor(s->dc, oldBack);
    SetTextColor(s->dc, oldText);
}

void copySurface(NativeSurface* from, const Point& source, NativeSurface* to, const Rect& dest) {
    if (!usable(from) || !usable(to) || from == to) return;
    BitBlt(to->dc, dest.left, dest.top, dest.width(), dest.height(), from->dc, source.h, source.v,
           SRCCOPY);
}

NativeImage* createImage(const uint8_t* rgb, int32_t width, int32_t height) {
    if (!rgb || width <= 0 || height <= 0) return nullptr;
    void* pixels = nullptr;
    HBITMAP bitmap = createDib(nullptr, width, height, &pixels);
    if (!bitmap) return nullptr;
    auto* out = static_cast<uint32_t*>(pixels);
    for (size_t i = 0, n = size_t(width) * height; i < n; ++i) {
        const uint8_t* p = rgb + 3 * i;
        out[i] = uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
    }
    NativeImage* image = new (std::nothrow) NativeImage;
    if (!image) {
        DeleteObject(bitmap);
        return nullptr;
    }
    image->bitmap = bitmap;
    image->width = width;
    image->height = height;
    return image;
}

void destroyImage(NativeImage* image) {
    if (!image) return;
    DeleteObject(image->bitmap);
    delete image;
}

void drawImage(NativeImage* image, const Point& source, NativeSurface* to, const Rect& dest) {
    if (!image || !usable(to) || dest.width() <= 0 || dest.height() <= 0) return;
    ImageDc src(to->dc, image);
    BitBlt(to->dc, dest.left, dest.top, dest.width(), dest.height(), src.dc(), source.h, source.v,
           SRCCOPY);
}

void drawImageTransparent(NativeImage* image, const Point& source, NativeSurface* to,
                          const Rect& dest, Color key) {
    if (!image || !usable(to) || dest.width() <= 0 || dest.height() <= 0) return;
    // Both ways read only inside the image, so the copied block is clipped to it first.
    const int32_t w = std::min(dest.width(), image->width - source.h);
    const int32_t h = std::min(dest.height(), image->height - source.v);
    if (source.h < 0 || source.v < 0 || w <= 0 || h <= 0) return;
    const Rect block(dest.left, dest.top, dest.left + w, dest.top + h);
    ImageDc src(to->dc, image);
    if (TransparentBltProc blt = transparentBlt()) {
        blt(to->dc, block.left, block.top, w, h, src.dc(), source.h, source.v, w, h,
            win32::colorRef(key));
    } else {
        maskedBlit(src.dc(), source, to->dc, block, key);
    }
}

}  // namespace platform
}  // namespace brindlet
