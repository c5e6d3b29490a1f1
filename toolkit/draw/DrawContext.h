// A drawing surface for one paint, press or redraw: colours, line style, font, origin offset and
// input.
#pragma once

#include <cstdint>

#include "toolkit/core/ButtonState.h"
#include "toolkit/core/Color.h"
#include "toolkit/core/Geometry.h"
#include "toolkit/draw/DrawTypes.h"

namespace brindlet {

class Frame;
struct NativeFont;
struct NativeSurface;
struct NativeWindow;

class DrawContext {
public:
    // surface and window may be null; a context without a surface draws nothing.
    DrawContext(Frame* frame, NativeSurface* surface, NativeWindow* window);
    virtual ~DrawContext();
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;

    void moveTo(const Point& p);
    void lineTo(const Point& p);
    void drawRect(const Rect& r);
    void fillRect(const Rect& r);
    void setLineStyle(LineStyle style);
    LineStyle getLineStyle() const { return lineStyle; }
    void setFrameColor(Color color);
    Color getFrameColor() const { return frameColor; }
    void setFillColor(Color color);
    Color getFillColor() const { return fillColor; }
    void setFontColor(Color color);
    Color getFontColor() const { return fontColor; }
    void setFont(int32_t id, int32_t size = 0, int32_t style = 0);
    FontId getFont() const { return fontId; }
    int32_t getFontSize() const { return fontSize; }
    void drawString(const char* text, const Rect& r, bool opaque = false,
                    TextAlign align = alignCenter);
    ButtonState getMouseButtons() const;
    void getMouseLocation(Point& where) const;

    void setOffset(const Point& p) { offset = p; }
    const Point& getOffset() const { return offset; }
    const Point& getWindowOrigin() const { return windowOrigin; }
    const Point& getPenPosition() const { return penPosition; }
    NativeSurface* getSurface() const { return surface; }
    NativeWindow* getWindow() const { return window; }
    Frame* getFrame() const { return frame; }
    // The font description setFont makes for (id, size, style); exposed for edit fields and tests.
    static FontDescription describeFont(int32_t id, int32_t size, int32_t style);

protected:
    void setSurface(NativeSurface* s) { surface = s; }

private:
    Point windowOrigin;
    Point offset;
    NativeSurface* surface;
    NativeWindow* window;
    Frame* frame;
    int32_t fontSize = 0;
    FontId fontId = fontBold;
    Color fontColor = kWhiteColor;
    int32_t lineWidth = 1;
    Color frameColor = kWhiteColor;
    Color fillColor = kBlackColor;
    LineStyle lineStyle = lineSolid;
    NativeFont* font = nullptr;
    Point penPosition;
};

// Maps physical buttons to logical ones: with swapped buttons the physical left button is the right
// one.
ButtonState mapPhysicalInput(uint32_t physical, bool swapped);
// The logical buttons and modifiers held now, read from the platform without a context.
ButtonState readButtonState();

}  // namespace brindlet
