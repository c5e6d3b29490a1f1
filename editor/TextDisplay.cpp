// Text display drawing: background or fill, plain or 3D edges, shadow and main text.
#include "editor/TextDisplay.h"

#include <cstdio>

#include "toolkit/draw/DrawContext.h"

namespace brindlet {

TextDisplay::TextDisplay(const Rect& bounds, Bitmap* background, int32_t style)
    : TextDisplay(bounds, nullptr, 0, background, style) {}

TextDisplay::TextDisplay(const Rect& bounds, ControlListener* listener, int32_t tag,
                         Bitmap* background, int32_t style)
    : Control(bounds, listener, tag, background), style(style) {
    if (style & kStyleNoDraw) setDirty(false);
}

void TextDisplay::draw(DrawContext* context) {
    // One read: a value set by another thread meanwhile must stay dirty and be drawn next.
    const float shown = getValue();
    char text[kTextBufferSize] = {};
    if (stringConvertEx) {
        stringConvertEx(shown, text, userData);
    } else if (stringConvert) {
        stringConvert(shown, text);
    } else {
        std::snprintf(text, sizeof text, "%2.2f", static_cast<double>(shown));
    }
    text[kTextBufferSize - 1] = '\0';
    drawText(context, text);
    markDrawn(shown);
}

void TextDisplay::drawText(DrawContext* context, const char* text) {
    setDirty(false);
    if (style & kStyleNoDraw) return;
    const Rect& r = bounds();
    if (getBackground()) {
        drawBackground(context, r, getBackgroundOffset(), isTransparent());
    } else if (!isTransparent()) {
        context->setFillColor(backColor);
        context->fillRect(r);
        if (!(style & (kStyle3DIn | kStyle3DOut))) {
            context->setFrameColor(frameColor);
            context->drawRect(r);
        }
    }
    if (style & (kStyle3DIn | kStyle3DOut)) drawEdges(context);
    if (style & kStyleNoText) return;
    context->setFont(font, 0, fontStyle);
    if (style & kStyleShadowText) {
        context->setFontColor(shadowColor);
        const Rect shadow(r.left + 1, r.top + 1, r.right + 1, r.bottom + 1);
        context->drawString(text, shadow, !textTransparent, align);
    }
    context->setFontColor(fontColor);
    context->drawString(text, r, !textTransparent, align);
}

void TextDisplay::drawEdges(DrawContext* context) {
    const Rect& r = bounds();
    const bool in = (style & kStyle3DIn) != 0;
    context->setFrameColor(in ? backColor : frameColor);
    context->moveTo({r.left, r.bottom});
    context->lineTo({r.left, r.top});
    context->lineTo({r.right + 1, r.top});
    context->setFrameColor(in ? frameColor : backColor);
    context->moveTo({r.right, r.top + 1});
    context->lineTo({r.right, r.bottom});
    context->lineTo({r.left, r.bottom});
}

// ---- Settings --------------------------------------------------------------------------------

void TextDisplay::setFont(FontId id) {
    if (font == id) return;
    font = id;
    setDirty(true);
}

namespace {
// Colour setters mark the control only for a change a viewer could see.
bool replaceColor(Color& field, Color color) {
    const bool changed = !field.sameRgb(color);
    field = color;
    return changed;
}
}  // namespace

void TextDisplay::setFontColor(Color color) {
    if (replaceColor(fontColor, color)) setDirty(true);
}
void TextDisplay::setBackColor(Color color) {
    if (replaceColor(backColor, color)) setDirty(true);
}
void TextDisplay::setFrameColor(Color color) {
    if (replaceColor(frameColor, color)) setDirty(true);
}
void TextDisplay::setShadowColor(Color color) {
    if (replaceColor(shadowColor, color)) setDirty(true);
}

void TextDisplay::setAlign(TextAlign a) {
    if (align == a) return;
    align = a;
    setDirty(true);
}

void TextDisplay::setStringConvertEx(StringConvertExFunction function, void* data) {
    stringConvertEx = function;
    userData = data;
}
void TextDisplay::setStringConvert(StringConvertFunction function) {
    stringConvert = function;
}
void TextDisplay::setTextToValue(TextToValueFunction function) {
    textToValue = function;
}

void TextDisplay::setStyle(int32_t s) {
    if (style == s) return;
    style = s;
    setDirty(true);
}

void TextDisplay::setFontStyle(int32_t s) {
    if (fontStyle == s) return;
    fontStyle = s;
    setDirty(true);
}

void TextDisplay::setTextTransparent(bool flag) {
    textTransparent = flag;
}

}  // namespace brindlet
