// Drawing operations with the pixel rules of the toolkit: offset, inclusive outlines, interior
// fills.
#include "toolkit/draw/DrawContext.h"

#include "toolkit/core/Frame.h"
#include "toolkit/platform/Platform.h"

namespace brindlet {

namespace {

constexpr int32_t kMaxFontSize = 1000;

// Keeps a size's sign (a negative size is the character height) within a drawable magnitude.
int32_t clampFontSize(int32_t size) {
    return size < -kMaxFontSize ? -kMaxFontSize : (size > kMaxFontSize ? kMaxFontSize : size);
}

}  // namespace

DrawContext::DrawContext(Frame* frame, NativeSurface* surface, NativeWindow* window)
    : surface(surface), window(window), frame(frame) {
    if (window) windowOrigin = platform::getWindowOrigin(window);
}

DrawContext::~DrawContext() {
    platform::destroyFont(font);
}

void DrawContext::moveTo(const Point& p) {
    penPosition = p;
}

void DrawContext::lineTo(const Point& p) {
    platform::drawLine(surface, penPosition.offsetBy(offset), p.offsetBy(offset), frameColor,
                       lineWidth, lineStyle);
    penPosition = p;
}

void DrawContext::drawRect(const Rect& r) {
    moveTo({r.left, r.top});
    lineTo({r.right, r.top});
    lineTo({r.right, r.bottom});
    lineTo({r.left, r.bottom});
    lineTo({r.left, r.top});
}

void DrawContext::fillRect(const Rect& r) {
    // The interior only: an outline drawn by drawRect stays visible.
    const Rect interior(r.left + 1, r.top + 1, r.right, r.bottom);
    platform::fillRect(surface, interior.offsetBy(offset), fillColor);
}

void DrawContext::setLineStyle(LineStyle style) {
    lineStyle = (style == lineDotted) ? lineDotted : lineSolid;
}

void DrawContext::setFrameColor(Color color) {
    frameColor = color;
}
void DrawContext::setFillColor(Color color) {
    fillColor = color;
}
void DrawContext::setFontColor(Color color) {
    fontColor = color;
}

FontDescription DrawContext::describeFont(int32_t id, int32_t size, int32_t style) {
    const FontId valid = validFontId(id);
    FontDescription d;
    d.face = kFontTable[valid].face;
    d.height = -(size == 0 ? kFontTable[valid].defaultSize : clampFontSize(size));
    d.weight = (style & kFontStyleBold) ? 700 : 400;
    d.italic = (style & kFontStyleItalic) != 0;
    d.underline = (style & kFontStyleUnderline) != 0;
    d.pitchAndFamily = kFamilySwissVariable;
    if (valid == fontSymbol) {
        d.pitchAndFamily = kFamilyDecorative;
    } else if (valid == fontBold) {
        d.weight = 700;
    }
    return d;
}

void DrawContext::setFont(int32_t id, int32_t size, int32_t style) {
    fontId = validFontId(id);
    fontSize = (size == 0) ? kFontTable[fontId].defaultSize : clampFontSize(size);
    NativeFont* created = platform::createFont(describeFont(fontId, fontSize, style));
    if (!created) return;
    platform::destroyFont(font);
    font = created;
}

void DrawContext::drawString(const char* text, const Rect& r, bool opaque, TextAlign align) {
    if (!text) return;
    Rect area = r.offsetBy(offset);
    if (align != alignCenter && align != alignRight) {
        align = alignLeft;
        area.left += 1;
    }
    platform::drawText(surface, text, area, font, fontColor, opaque, fillColor, align);
}

ButtonState mapPhysicalInput(uint32_t physical, bool swapped) {
    ButtonState buttons = 0;
    if (physical & kPhysicalLeft) buttons |= swapped ? kRButton : kLButton;
    if (physical & kPhysicalMiddle) buttons |= kMButton;
    if (physical & kPhysicalRight) buttons |= swapped ? kLButton : kRButton;
    if (physical & kPhysicalShift) buttons |= kShift;
    if (physical & kPhysicalControl) buttons |= kControl;
    if (physical & kPhysicalAlt) buttons |= kAlt;
    return buttons;
}

ButtonState readButtonState() {
    return mapPhysicalInput(platform::getPhysicalInput(), platform::areButtonsSwapped());
}

ButtonState DrawContext::getMouseButtons() const {
    // A frame closed from inside its own call ends every tracking loop as a release would.
    if (frame && frame->isClosing()) return 0;
    return readButtonState();
}

void DrawContext::getMouseLocation(Point& where) const {
    const Point pointer = platform::getPointerPosition();
    where = Point(pointer.h - windowOrigin.h, pointer.v - windowOrigin.v);
}

}  // namespace brindlet
