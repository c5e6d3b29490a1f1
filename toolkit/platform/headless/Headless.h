// Test controls of the headless backend: scripted input, a fake clock, and windows drawn to images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/platform/Platform.h"

namespace brindlet::headless {

// One step of a scripted gesture: the physical buttons and keys held (PhysicalInputBits) and the
// pointer position in screen pixels.
struct InputStep {
    uint32_t physical = 0;
    Point position;
};

// Back to the start: clock 0, no script, no buttons, pointer at (0, 0), nothing pending,
// double-click time 500, buttons not swapped, no test resources. Open windows and edit fields stay.
void reset();

// ---- Clock -----------------------------------------------------------------------------------
void setTicks(uint32_t ticks);
uint32_t getTicks();
void advanceTicks(uint32_t milliseconds);
// Added to the clock at every pointer poll, so tracking loops see time pass.
void setTicksPerPoll(uint32_t milliseconds);
uint32_t getSleptMilliseconds();
int32_t getSleepCount();

// ---- Input -----------------------------------------------------------------------------------
// The state reported until the next pointer poll.
void setInput(uint32_t physical, const Point& screenPosition);
// Queues steps; each pointer poll takes the next one, and button reads report the current one.
// When no step is left, a pointer poll releases the mouse buttons (keys stay), so loops end.
void playGesture(const std::vector<InputStep>& steps);
int32_t getPendingSteps();
int32_t getPointerPolls();
void setButtonsSwapped(bool swapped);
void setDoubleClickTime(int32_t milliseconds);

// ---- Windows ---------------------------------------------------------------------------------
NativeWindow* getLastWindow();
int32_t getWindowCount();
int32_t getWindowClassUsers();
bool isDropTargetRegistered(NativeWindow* window);
void setWindowOrigin(NativeWindow* window, const Point& screenOrigin);
NativeSurface* getWindowSurface(NativeWindow* window);
// A button press at window position `where` with `physical` held; `moves` follow as a gesture.
void press(NativeWindow* window, const Point& where, uint32_t physical = kPhysicalLeft,
           const std::vector<InputStep>& moves = {});
// A paint request served at once, drawing clipped to `update`.
void paint(NativeWindow* window, const Rect& update);
// Queues a paint request for pumpOnePaintMessage.
void invalidate(NativeWindow* window, const Rect& update);
int32_t getPendingPaints();
int32_t getPumpCount();
// Drops at window position `where`, as the drop target delivers them.
void dropFiles(NativeWindow* window, const std::vector<std::string>& paths, const Point& where);
void dropText(NativeWindow* window, const std::string& text, size_t blockSize, const Point& where);
// The window vanished with its parent before the frame was destroyed.
void destroyFromOutside(NativeWindow* window);
int32_t getThreadServicesDepth();

// ---- Pictures --------------------------------------------------------------------------------
NativeSurface* createSurface(int32_t width, int32_t height);
Color getPixel(NativeSurface* surface, int32_t x, int32_t y);
Color getWindowPixel(NativeWindow* window, int32_t x, int32_t y);
// Writes a PNG, creating missing folders; false on failure.
bool savePng(NativeSurface* surface, const std::string& path);
bool saveWindowPng(NativeWindow* window, const std::string& path);
// Frees the font caches the drawing library keeps for the whole process, so leak checkers see a
// clean exit; call at the end of a test program, when no window, surface or font is left.
void releaseFontCaches();

// ---- Resources -------------------------------------------------------------------------------
// Bytes served for bitmap resource `id` ahead of the module's own bitmaps.
void setBitmapResource(int32_t id, const std::vector<uint8_t>& bytes);
void clearBitmapResources();

// ---- Edit fields -----------------------------------------------------------------------------
struct EditFieldState {
    Rect bounds;
    std::string text;
    TextAlign align = alignCenter;
    int32_t maxLength = 0;
    bool allSelected = false;
    bool focused = false;
    Color textColor;
    Color backColor;
    std::string face;
    int32_t fontHeight = 0;
    int32_t fontWeight = 0;
};
// The most recently opened field that is still open, or null.
NativeEditField* getOpenEditField();
int32_t getEditFieldCount();
EditFieldState getEditFieldState(NativeEditField* field);
// Typing replaces a selected text, else appends; the length limit holds.
void typeIntoEditField(NativeEditField* field, const std::string& text);
void pressEnterInEditField(NativeEditField* field);
void moveFocusAway(NativeEditField* field);

}  // namespace brindlet::headless
