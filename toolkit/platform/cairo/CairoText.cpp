// Fonts found by name through fontconfig (cairo's toy font faces) and one-line text drawing.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "toolkit/platform/cairo/CairoTypes.h"

namespace brindlet {

namespace {

constexpr int32_t kBoldWeight = 600;
constexpr double kDefaultFontSize = 12.0;
constexpr int64_t kMaxFontSize = 1000;  // far beyond any label; larger ones make freetype fail
constexpr size_t kMaxTextBytes = 1024;  // more than any one line can show

// Windows-1252's characters at 0x80..0x9F; its five unassigned bytes keep their Latin-1 value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Our text is single-byte Windows ANSI; cairo takes UTF-8 and fails for good on anything else.
// Up to kMaxTextBytes characters, each at most 3 bytes in UTF-8.
struct Utf8Text {
    explicit Utf8Text(const char* text) {
        size_t n = 0;
        for (size_t i = 0; text[i] && i < kMaxTextBytes; ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            const char16_t c = (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : byte;
            if (c < 0x80) {
                bytes[n++] = static_cast<char>(c);
            } else if (c < 0x800) {
                bytes[n++] = static_cast<char>(0xC0 | (c >> 6));
                bytes[n++] = static_cast<char>(0x80 | (c & 0x3F));
            } else {
                bytes[n++] = static_cast<char>(0xE0 | (c >> 12));
                bytes[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                bytes[n++] = static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        bytes[n] = '\0';
    }
    char bytes[kMaxTextBytes * 3 + 1];
};

// Text is drawn through a context of its own carrying the surface context's transform and clip:
// a font or glyph failure then leaves the surface's long-lived context untouched.
cairo_t* createTextContext(NativeSurface* surface) {
    cairo_t* cr = cairo_create(surface->surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    if (cairo_status(surface->cr) != CAIRO_STATUS_SUCCESS) return cr;
    cairo_matrix_t matrix;
    cairo_get_matrix(surface->cr, &matrix);
    cairo_set_matrix(cr, &matrix);
    cairo_rectangle_list_t* clip = cairo_copy_clip_rectangle_list(surface->cr);
    if (clip->status == CAIRO_STATUS_SUCCESS) {
        for (int i = 0; i < clip->num_rectangles; ++i) {
            const cairo_rectangle_t& r = clip->rectangles[i];
            cairo_rectangle(cr, r.x, r.y, r.width, r.height);
        }
        cairo_clip(cr);
    }
    cairo_rectangle_list_destroy(clip);
    return cr;
}

void applyFont(cairo_t* cr, NativeFont* font) {
    if (font && font->face) {
        cairo_set_font_face(cr, font->face);
        cairo_set_font_size(cr, font->size);
    } else {
        cairo_select_font_face(cr, "Arial", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, kDefaultFontSize);
    }
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

void setColor(cairo_t* cr, Color c) {
    cairo_set_source_rgb(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0);
}

}  // namespace

namespace cairo_backend {

void releaseStaticData() {
    cairo_debug_reset_static_data();
    FcFini();
}

}  // namespace cairo_backend

namespace platform {

NativeFont* createFont(const FontDescription& d) {
    const char* face = (d.face && d.face[0]) ? d.face : "Arial";
    cairo_font_face_t* created = cairo_toy_font_face_create(
        face, d.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        d.weight >= kBoldWeight ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    if (cairo_font_face_status(created) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(created);
        return nullptr;
    }
    NativeFont* font = new (std::nothrow) NativeFont;
    if (!font) {
        cairo_font_face_destroy(created);
        return nullptr;
    }
    font->face = created;
    // A negative height asks for that character (em) height; a positive one is taken the same way.
    const int64_t height = std::min(std::abs(int64_t{d.height}), kMaxFontSize);
    font->size = height > 0 ? static_cast<double>(height) : kDefaultFontSize;
    font->underline = d.underline;
    return font;
}

void destroyFont(NativeFont* font) {
    if (!font) return;
    cairo_font_face_destroy(font->face);
    delete font;
}

void drawText(NativeSurface* surface, const char* text, const Rect& area, NativeFont* font,
              Color color, bool opaque, Color back, TextAlign align) {
    if (!surface || !surface->cr || !text || area.width() <= 0 || area.height() <= 0) return;
    const Utf8Text utf8(text);
    cairo_t* cr = createTextContext(surface);
    cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
    cairo_clip(cr);
    applyFont(cr, font);

    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_text_extents_t te;
    cairo_text_extents(cr, utf8.bytes, &te);
    const int32_t textWidth = static_cast<int32_t>(std::lround(te.x_advance));
    const int32_t lineHeight = static_cast<int32_t>(std::lround(fe.ascent + fe.descent));
    int32_t x = area.left;
    if (align == alignCenter) {
        x = area.left + (area.width() - textWidth) / 2;
    } else if (align == alignRight) {
        x = area.right - textWidth;
    }
    const int32_t top = area.top + (area.height() - lineHeight) / 2;
    const int32_t baseline = top + static_cast<int32_t>(std::lround(fe.ascent));

    if (opaque) {
        setColor(cr, back);
        cairo_rectangle(cr, x, top, textWidth, lineHeight);
        cairo_fill(cr);
    }
    setColor(cr, color);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, utf8.bytes);
    if (font && font->underline) {
        const double thickness = std::fmax(1.0, std::floor(font->size / 14.0));
        cairo_rectangle(cr, x, baseline + 1, textWidth, thickness);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
}

}  // namespace platform
}  // namespace brindlet
