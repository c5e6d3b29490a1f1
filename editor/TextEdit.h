// A text display that opens a native single-line edit field on a click and reports changed text.
#pragma once

#include <cstdint>

#include "editor/TextDisplay.h"
#include "toolkit/platform/Platform.h"

namespace brindlet {

using EditConvertFunction = void (*)(const char* text, char* out);
using EditConvertExFunction = void (*)(const char* text, char* out, void* userData);

class TextEdit : public TextDisplay, private EditFieldEvents {
public:
    // A null text starts empty; longer texts keep their first 255 characters.
    TextEdit(const Rect& bounds, ControlListener* listener, int32_t tag, const char* text,
             Bitmap* background, int32_t style);

    void draw(DrawContext* context) override;
    void onMouseDown(DrawContext* context, const Point& where) override;
    void loseFocus(DrawContext* context) override;
    void takeFocus(DrawContext* context) override;

    // Null is ignored; a different text marks the control dirty.
    virtual void setText(const char* text);
    // Copies the text (at most kTextBufferSize bytes with the terminator) when out is not null.
    virtual void getText(char* out) const;
    virtual void setEditConvertEx(EditConvertExFunction function, void* userData);
    virtual void setEditConvert(EditConvertFunction function);

    bool isEditing() const { return editField != nullptr; }
    NativeEditField* getEditField() const { return editField; }

protected:
    ~TextEdit() override;

private:
    void editFieldEnter() override;
    void editFieldFocusLost() override;
    EditFieldSpec fieldSpec(DrawContext* context) const;
    void reportChange(DrawContext* context);

    NativeEditField* editField = nullptr;
    char text[kTextBufferSize] = {};
    EditConvertFunction editConvert = nullptr;
    EditConvertExFunction editConvertEx = nullptr;
};

}  // namespace brindlet
