// A control showing a short text made from its value, with font, colours, alignment and frame
// style.
#pragma once

#include <cstdint>

#include "toolkit/core/Color.h"
#include "toolkit/core/Control.h"
#include "toolkit/draw/DrawTypes.h"

namespace brindlet {

enum TextStyleBits : int32_t {
    kStyleShadowText = 0x04,     // the text again in the shadow colour, one pixel right and down
    kStyle3DIn = 0x80,           // upper-left edges in the back colour, lower-right in the frame's
    kStyle3DOut = 0x100,         // the reverse of kStyle3DIn
    kStyleNoText = 0x800,        // background and frame only
    kStyleNoDraw = 0x1000,       // nothing at all
    kStyleDoubleClick = 0x2000,  // TextEdit: the field opens on a double click only
};

// Room for every text the control makes or holds, terminator included.
constexpr int32_t kTextBufferSize = 256;

using StringConvertFunction = void (*)(float value, char* text);
using StringConvertExFunction = void (*)(float value, char* text, void* userData);
using TextToValueFunction = float (*)(const char* text);

class TextDisplay : public Control {
public:
    TextDisplay(const Rect& bounds, Bitmap* background, int32_t style);

    void draw(DrawContext* context) override;

    virtual void setFont(FontId font);
    virtual void setFontColor(Color color);
    virtual void setBackColor(Color color);
    virtual void setFrameColor(Color color);
    virtual void setShadowColor(Color color);
    virtual void setAlign(TextAlign align);
    virtual void setStringConvertEx(StringConvertExFunction function, void* userData);
    virtual void setStringConvert(StringConvertFunction function);
    virtual void setTextToValue(TextToValueFunction function);
    virtual void setStyle(int32_t style);
    virtual void setFontStyle(int32_t style);
    virtual void setTextTransparent(bool flag);

    FontId getFont() const { return font; }
    Color getFontColor() const { return fontColor; }
    Color getBackColor() const { return backColor; }
    Color getFrameColor() const { return frameColor; }
    Color getShadowColor() const { return shadowColor; }
    TextAlign getAlign() const { return align; }
    int32_t getStyle() const { return style; }
    int32_t getFontStyle() const { return fontStyle; }
    bool getTextTransparent() const { return textTransparent; }
    TextToValueFunction getTextToValue() const { return textToValue; }

protected:
    // Subclasses with their own listener and tag.
    TextDisplay(const Rect& bounds, ControlListener* listener, int32_t tag, Bitmap* background,
                int32_t style);
    ~TextDisplay() override = default;
    // Background, frame and text in the control's style; marks the control clean.
    void drawText(DrawContext* context, const char* text);

    void* userData = nullptr;

private:
    void drawEdges(DrawContext* context);

    StringConvertFunction stringConvert = nullptr;
    StringConvertExFunction stringConvertEx = nullptr;
    TextToValueFunction textToValue = nullptr;
    TextAlign align = alignCenter;
    int32_t style;
    FontId font = fontNormal;
    int32_t fontStyle = 0;
    Color fontColor = kWhiteColor;
    Color backColor = kBlackColor;
    Color frameColor = kBlackColor;
    Color shadowColor = kRedColor;
    bool textTransparent = true;
};

}  // namespace brindlet
