// Drawing on cairo with the toolkit's pixel rules: no antialiasing, lines without their end pixel.
#include <algorithm>
#include <cstdlib>
#include <new>

#include "toolkit/platform/cairo/CairoTypes.h"

namespace brindlet {

namespace {

void setColor(cairo_t* cr, Color c) {
    cairo_set_source_rgb(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0);
}

bool usable(NativeSurface* s) {
    return s && s->cr;
}

// Whether a walk at `at` moving by `step` has passed the far edge of [0, size) for good.
bool pastEdge(int64_t at, int32_t step, int32_t size) {
    return step > 0 ? at >= size : at < 0;
}

// How many steps a walk from `at` moving by `step` takes to reach [0, size).
int64_t approach(int64_t at, int32_t step, int32_t size) {
    if (step > 0) return at < 0 ? -at : 0;
    return at >= size ? at - size + 1 : 0;
}

// The walk below moves its major axis on every step and its minor one when the error says so.
// After n steps the minor axis has moved floor((2·minor·n + major) / (2·major)) pixels, written
// here so that nothing overflows for lines across the whole coordinate range.
struct MinorAdvance {
    int64_t pixels;
    int64_t remainder;  // of minor·n / major
    int64_t roundUp;    // 1 when the rounding added a pixel to the quotient
};

MinorAdvance minorAdvance(int64_t minor, int64_t major, int64_t n) {
    const uint64_t product = static_cast<uint64_t>(minor) * static_cast<uint64_t>(n);
    const auto quotient = static_cast<int64_t>(product / static_cast<uint64_t>(major));
    const auto remainder = static_cast<int64_t>(product % static_cast<uint64_t>(major));
    const int64_t roundUp = (2 * remainder + major) / (2 * major);
    return {quotient + roundUp, remainder, roundUp};
}

// Axis-aligned and solid: one rectangle from a up to, not including, b, cut to the surface.
void rasterizeStraight(cairo_t* cr, const Point& a, const Point& b, int32_t width, int32_t height) {
    int64_t x0 = std::min<int64_t>(a.h, int64_t{b.h} + (b.h < a.h));
    int64_t x1 = std::max<int64_t>(a.h, int64_t{b.h} - (b.h > a.h));
    int64_t y0 = std::min<int64_t>(a.v, int64_t{b.v} + (b.v < a.v));
    int64_t y1 = std::max<int64_t>(a.v, int64_t{b.v} - (b.v > a.v));
    x0 = std::max<int64_t>(x0, 0);
    y0 = std::max<int64_t>(y0, 0);
    x1 = std::min<int64_t>(x1, width - 1);
    y1 = std::min<int64_t>(y1, height - 1);
    if (x0 > x1 || y0 > y1) return;
    cairo_rectangle(cr, double(x0), double(y0), double(x1 - x0 + 1), double(y1 - y0 + 1));
}

// One pixel-exact rectangle per pixel of the line on the surface; dotted lines keep every other
// pixel. The walk only moves one way in x and in y, so it ends once past the surface; the steps
// before it reaches the surface are taken in one jump, so a line from any distance costs no more
// than one across the surface.
void rasterizeLine(cairo_t* cr, const Point& a, const Point& b, bool dotted, int32_t width,
                   int32_t height) {
    const int64_t dx = std::abs(int64_t{b.h} - a.h);
    const int64_t dy = -std::abs(int64_t{b.v} - a.v);
    const int32_t sx = a.h < b.h ? 1 : -1;
    const int32_t sy = a.v < b.v ? 1 : -1;
    if (!dotted && (dx == 0 || dy == 0)) return rasterizeStraight(cr, a, b, width, height);
    // The error is dx·(moves in y + 1) + dy·(moves in x + 1) all along the walk.
    int64_t i = 0;
    int64_t x = a.h;
    int64_t y = a.v;
    int64_t error = dx + dy;
    if (dx >= -dy && dx > 0) {
        i = std::min(dx, approach(x, sx, width));
        const MinorAdvance m = minorAdvance(-dy, dx, i);
        x += sx * i;
        y += sy * m.pixels;
        error = dx * (m.roundUp + 1) - m.remainder + dy;
    } else if (dx < -dy) {
        i = std::min(-dy, approach(y, sy, height));
        const MinorAdvance m = minorAdvance(dx, -dy, i);
        x += sx * m.pixels;
        y += sy * i;
        error = m.remainder + dx + dy * (m.roundUp + 1);
    }
    for (; x != b.h || y != b.v; ++i) {
        if (pastEdge(x, sx, width) || pastEdge(y, sy, height)) return;
        const bool inside = x >= 0 && y >= 0 && x < width && y < height;
        if (inside && (!dotted || i % 2 == 0)) cairo_rectangle(cr, double(x), double(y), 1, 1);
        const int64_t e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y += sy;
        }
    }
}

cairo_surface_t* keyedCopy(NativeImage* image, Color key) {
    cairo_surface_t* keyed =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image->width, image->height);
    if (cairo_surface_status(keyed) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(keyed);
        return nullptr;
    }
    cairo_surface_flush(image->opaque);
    const unsigned char* src = cairo_image_surface_get_data(image->opaque);
    const int srcStride = cairo_image_surface_get_stride(image->opaque);
    unsigned char* dst = cairo_image_surface_get_data(keyed);
    const int dstStride = cairo_image_surface_get_stride(keyed);
    const uint32_t keyRgb = uint32_t(key.red) << 16 | uint32_t(key.green) << 8 | key.blue;
    for (int32_t y = 0; y < image->height; ++y) {
        const uint32_t* s = reinterpret_cast<const uint32_t*>(src + y * srcStride);
        uint32_t* d = reinterpret_cast<uint32_t*>(dst + y * dstStride);
        for (int32_t x = 0; x < image->width; ++x) {
            const uint32_t rgb = s[x] & 0xFFFFFFu;
            d[x] = (rgb == keyRgb) ? 0u : (0xFF000000u | rgb);
        }
    }
    cairo_surface_mark_dirty(keyed);
    return keyed;
}

void blit(cairo_surface_t* source, const Point& from, NativeSurface* to, const Rect& dest) {
    if (!source || !usable(to) || dest.width() <= 0 || dest.height() <= 0) return;
    cairo_t* cr = to->cr;
    cairo_save(cr);
    cairo_set_source_surface(cr, source, dest.left - from.h, dest.top - from.v);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, dest.left, dest.top, dest.width(), dest.height());
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace

namespace cairo_backend {

NativeSurface* wrapSurface(cairo_surface_t* surface, int32_t width, int32_t height) {
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return nullptr;
    NativeSurface* s = new (std::nothrow) NativeSurface;
    if (!s) return nullptr;
    s->surface = cairo_surface_reference(surface);
    s->cr = cairo_create(surface);
    s->width = width;
    s->height = height;
    cairo_set_antialias(s->cr, CAIRO_ANTIALIAS_NONE);
    return s;
}

Color pixelAt(NativeSurface* surface, int32_t x, int32_t y) {
    if (!surface || !surface->surface) return kBlackColor;
    cairo_surface_t* img = surface->surface;
    if (cairo_surface_get_type(img) != CAIRO_SURFACE_TYPE_IMAGE) return kBlackColor;
    cairo_surface_flush(img);
    if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(img) ||
        y >= cairo_image_surface_get_height(img)) {
        return kBlackColor;
    }
    const unsigned char* row =
        cairo_image_surface_get_data(img) + y * cairo_image_surface_get_stride(img);
    const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
    return Color{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 0};
}

bool writePng(NativeSurface* surface, const char* path) {
    if (!surface || !surface->surface || !path) return false;
    return cairo_surface_write_to_png(surface->surface, path) == CAIRO_STATUS_SUCCESS;
}

}  // namespace cairo_backend

namespace platform {

NativeSurface* createOffscreenSurface(NativeSurface* compatible, int32_t width, int32_t height) {
    if (width < 0 || height < 0) return nullptr;
    cairo_surface_t* surface =
        (compatible && compatible->surface)
            ? cairo_surface_create_similar(compatible->surface, CAIRO_CONTENT_COLOR, width, height)
            : cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    NativeSurface* s = cairo_backend::wrapSurface(surface, width, height);
    cairo_surface_destroy(surface);
    return s;
}

void destroySurface(NativeSurface* surface) {
    if (!surface) return;
    if (surface->cr) cairo_destroy(surface->cr);
    if (surface->surface) cairo_surface_destroy(surface->surface);
    delete surface;
}

void drawLine(NativeSurface* surface, const Point& from, const Point& to, Color color,
              int32_t width, LineStyle style) {
    if (!usable(surface) || from == to) return;
    cairo_t* cr = surface->cr;
    cairo_save(cr);
    setColor(cr, color);
    if (width <= 1) {
        rasterizeLine(cr, from, to, style == lineDotted, surface->width, surface->height);
        cairo_fill(cr);
    } else {
        cairo_set_line_width(cr, width);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        if (style == lineDotted) {
            const double dash = width;
            cairo_set_dash(cr, &dash, 1, 0);
        }
        cairo_move_to(cr, from.h + 0.5, from.v + 0.5);
        cairo_line_to(cr, to.h + 0.5, to.v + 0.5);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void fillRect(NativeSurface* surface, const Rect& area, Color color) {
    if (!usable(surface) || area.width() <= 0 || area.height() <= 0) return;
    cairo_t* cr = surface->cr;
    cairo_save(cr);
    setColor(cr, color);
    cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
    cairo_fill(cr);
    cairo_restore(cr);
}

void copySurface(NativeSurface* from, const Point& source, NativeSurface* to, const Rect& dest) {
    if (!from || from == to) return;
    cairo_surface_flush(from->surface);
    blit(from->surface, source, to, dest);
}

NativeImage* createImage(const uint8_t* rgb, int32_t width, int32_t height) {
    if (!rgb || width <= 0 || height <= 0) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int32_t y = 0; y < height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
        const uint8_t* src = rgb + size_t(y) * size_t(width) * 3;
        for (int32_t x = 0; x < width; ++x, src += 3) {
            row[x] = 0xFF000000u | uint32_t(src[0]) << 16 | uint32_t(src[1]) << 8 | src[2];
        }
    }
    cairo_surface_mark_dirty(surface);
    NativeImage* image = new (std::nothrow) NativeImage;
    if (!image) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    image->opaque = surface;
    image->width = width;
    image->height = height;
    return image;
}

void destroyImage(NativeImage* image) {
    if (!image) return;
    cairo_surface_destroy(image->opaque);
    if (image->keyed) cairo_surface_destroy(image->keyed);
    delete image;
}

void drawImage(NativeImage* image, const Point& source, NativeSurface* to, const Rect& dest) {
    if (!image) return;
    blit(image->opaque, source, to, dest);
}

void drawImageTransparent(NativeImage* image, const Point& source, NativeSurface* to,
                          const Rect& dest, Color key) {
    if (!image) return;
    if (image->keyed && !image->keyedFor.sameRgb(key)) {
        cairo_surface_destroy(image->keyed);
        image->keyed = nullptr;
    }
    if (!image->keyed) {
        image->keyed = keyedCopy(image, key);
        image->keyedFor = key;
    }
    blit(image->keyed, source, to, dest);
}

}  // namespace platform
}  // namespace brindlet
