// The cairo backend's surfaces, images and fonts, shared with the window backends built on cairo.
#pragma once

#include <cairo.h>

#include <cstdint>

#include "toolkit/core/Color.h"
#include "toolkit/platform/Platform.h"

namespace brindlet {

struct NativeSurface {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

struct NativeImage {
    cairo_surface_t* opaque = nullptr;
    // Made on first transparent use: the image with alpha 0 where it equals `keyedFor`.
    cairo_surface_t* keyed = nullptr;
    Color keyedFor;
    int32_t width = 0;
    int32_t height = 0;
};

struct NativeFont {
    cairo_font_face_t* face = nullptr;
    double size = 12.0;
    bool underline = false;
};

namespace cairo_backend {

// Wraps a cairo surface (adding a reference; destroySurface drops it) for drawing; null on failure.
NativeSurface* wrapSurface(cairo_surface_t* surface, int32_t width, int32_t height);
// The colour of pixel (x, y) of an image surface; black outside.
Color pixelAt(NativeSurface* surface, int32_t x, int32_t y);
// Writes the surface as PNG; false on failure.
bool writePng(NativeSurface* surface, const char* path);
// Frees cairo's and fontconfig's process-wide caches; only when no cairo object is left.
void releaseStaticData();

}  // namespace cairo_backend
}  // namespace brindlet
