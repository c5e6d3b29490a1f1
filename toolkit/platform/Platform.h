// What every platform backend must provide: surfaces, images, fonts, the frame window, input, time,
// edit fields.
#pragma once

#include <cstddef>
#include <cstdint>

#include "toolkit/core/Color.h"
#include "toolkit/core/Geometry.h"
#include "toolkit/draw/DrawTypes.h"

namespace brindlet {

// Opaque objects; each backend defines them.
struct NativeSurface;    // something to draw on: a window's drawing surface or an offscreen picture
struct NativeImage;      // a decoded bitmap ready to be drawn
struct NativeFont;       // a font made from a FontDescription
struct NativeWindow;     // the frame's child window inside the host's window
struct NativeEditField;  // a native single-line text entry over the frame window

// What a frame window reports; the frame implements it. Surfaces passed here live for the call
// only.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void paintRequested(NativeSurface* surface, const Rect& update) = 0;
    virtual void buttonPressed(NativeSurface* surface, const Point& where) = 0;
    // type 0: items is a list of count zero-terminated file names; type 1: items[0] is text and
    // count the size in bytes of the block holding it.
    virtual void dropped(void** items, int32_t count, int32_t type, const Point& where) = 0;
    virtual void windowDestroyed() = 0;
    // The wheel turned by `distance` notches (positive away from the user) over window position
    // `where`; backends without a wheel never call it. Backends that draw a wheel response on
    // their own surface pass it; the others let the frame open its own drawing context.
    virtual void wheelTurned(NativeSurface*, const Point&, float) {}
    virtual void wheelTurned(const Point&, float) {}
};

// What a native edit field reports to its owner; the field may be destroyed inside either call.
class EditFieldEvents {
public:
    virtual ~EditFieldEvents() = default;
    virtual void editFieldEnter() = 0;
    virtual void editFieldFocusLost() = 0;
};

// Physical buttons and keys, before the system's button swap is applied.
enum PhysicalInputBits : uint32_t {
    kPhysicalLeft = 1,
    kPhysicalMiddle = 2,
    kPhysicalRight = 4,
    kPhysicalShift = 8,
    kPhysicalControl = 16,
    kPhysicalAlt = 32,
};

struct EditFieldSpec {
    Rect bounds;  // window pixels; right and bottom exclusive
    const char* text = "";
    TextAlign align = alignCenter;
    FontDescription font;
    Color textColor;
    Color backColor;
    int32_t maxLength = 255;
};

namespace platform {

// ---- Drawing ---------------------------------------------------------------------------------

// An offscreen surface of width x height in the pixel format of `compatible` (may be null); null on
// failure.
NativeSurface* createOffscreenSurface(NativeSurface* compatible, int32_t width, int32_t height);
// Frees a surface made by createOffscreenSurface; null is ignored.
void destroySurface(NativeSurface* surface);
// A 1-pixel (or `width`) line from `from` towards `to`; the pixel at `to` is left out.
void drawLine(NativeSurface* surface, const Point& from, const Point& to, Color color,
              int32_t width, LineStyle style);
// Paints the pixels from (left, top) up to but not including (right, bottom).
void fillRect(NativeSurface* surface, const Rect& area, Color color);
// A font matching the description (face looked up by name); null on failure.
NativeFont* createFont(const FontDescription& description);
// Frees a font; null is ignored.
void destroyFont(NativeFont* font);
// One line of text in `area`, vertically centred, clipped to `area`; opaque fills the text cell
// with `back`. A null font means the backend's default font.
void drawText(NativeSurface* surface, const char* text, const Rect& area, NativeFont* font,
              Color color, bool opaque, Color back, TextAlign align);
// Opaque block copy of dest's size from `source` in `from` to `dest` in `to`.
void copySurface(NativeSurface* from, const Point& source, NativeSurface* to, const Rect& dest);
// An image from top-down rows of red, green, blue bytes; null on failure.
NativeImage* createImage(const uint8_t* rgb, int32_t width, int32_t height);
// Frees an image; null is ignored.
void destroyImage(NativeImage* image);
// Opaque block copy of dest's size from `source` in the image to `dest`.
void drawImage(NativeImage* image, const Point& source, NativeSurface* to, const Rect& dest);
// As drawImage, but pixels exactly equal to `key` (red, green, blue) leave the destination
// unchanged.
void drawImageTransparent(NativeImage* image, const Point& source, NativeSurface* to,
                          const Rect& dest, Color key);

// ---- Module ----------------------------------------------------------------------------------

// The bytes of bitmap resource `id` (a BMP file or a packed device-independent bitmap); false if
// none.
bool findBitmapResource(int32_t id, const uint8_t** data, size_t* size);

// ---- Thread services -------------------------------------------------------------------------

// Starts the per-thread services drag and drop needs; each call is paired with one
// endThreadServices.
void beginThreadServices();
// Ends one beginThreadServices.
void endThreadServices();

// ---- Frame window ----------------------------------------------------------------------------

// A visible child window of `parent` at (0, 0) with the given size reporting to `events`; null on
// failure.
NativeWindow* createFrameWindow(void* parent, int32_t width, int32_t height, WindowEvents* events);
// Destroys the window (no events arrive afterwards); null is ignored.
void destroyFrameWindow(NativeWindow* window);
// Lets files and text be dropped on the window; true when registered.
bool registerDropTarget(NativeWindow* window);
// Undoes registerDropTarget.
void revokeDropTarget(NativeWindow* window);
// A surface drawing straight onto the window, until endWindowDrawing; null without a window.
NativeSurface* beginWindowDrawing(NativeWindow* window);
// Gives back a surface from beginWindowDrawing.
void endWindowDrawing(NativeWindow* window, NativeSurface* surface);
// The window's top-left corner in screen pixels; (0, 0) without a window.
Point getWindowOrigin(NativeWindow* window);

// ---- Input and time --------------------------------------------------------------------------

// PhysicalInputBits of the buttons and keys held at this instant.
uint32_t getPhysicalInput();
// Whether the system swaps the left and right mouse buttons.
bool areButtonsSwapped();
// The pointer position in screen pixels.
Point getPointerPosition();
// Milliseconds since some fixed moment, wrapping at 2^32.
uint32_t getTickCount();
// Waits the given number of milliseconds.
void sleepMilliseconds(uint32_t milliseconds);
// The longest gap between the two clicks of a double click, in milliseconds.
int32_t getDoubleClickTime();
// Handles what the window system queued for the window: paints, clicks, wheel, drops.
void dispatchWindowEvents(NativeWindow* window);
// Dispatches at most one pending paint request of this thread's windows, and nothing else.
void pumpOnePaintMessage();

// ---- Native edit field -----------------------------------------------------------------------

// Opens a field over `window` with all text selected and the keyboard focus; null on failure.
NativeEditField* createEditField(NativeWindow* window, const EditFieldSpec& spec,
                                 EditFieldEvents* events);
// Closes the field and frees its font; null is ignored.
void destroyEditField(NativeEditField* field);
// Copies the field's text (at most capacity - 1 bytes, zero-terminated); returns its length.
int32_t getEditFieldText(NativeEditField* field, char* out, int32_t capacity);
// Replaces the field's text and selects all of it, as when the field opened.
void setEditFieldText(NativeEditField* field, const char* text);

}  // namespace platform
}  // namespace brindlet
