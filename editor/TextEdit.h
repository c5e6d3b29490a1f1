// A text display that opens a native single-line edit field on a click and reports changed text.
#pragma once

#include <cstdint>

#include "editor/TextDisplay.h"
#include "toolkit/platform/Platform.h"

namespace brindlet {

using EditConvertFunction = void (*)(const char* text, char* out);
using EditConvertExFunction = void (*)(const char* text, char* out, void* userData);
// Called just before the field opens, so its owner can bring the text up to date.
using TextRefreshFunction = void (*)(void* userData);

class TextEdit : public TextDisplay, private EditFieldEvents {
public:
    // A null text starts empty; longer texts keep their first 255 characters.
    TextEdit(const Rect& bounds, ControlListener* listener, int32_t tag, const char* text,
             Bitmap* background, int32_t style);

    void draw(DrawContext* context) override;
    void onMouseDown(DrawContext* context, const Point& where) override;
    void loseFocus(DrawContext* context) override;
    void takeFocus(DrawContext* context) override;

    // Null is ignored; a different text marks the control dirty. While the field is open and
    // nothing was typed into it, the field shows the new text too.
    virtual void setText(const char* text);
    // Copies the text (at most kTextBufferSize bytes with the terminator) when out is not null.
    virtual void getText(char* out) const;
    virtual void setEditConvertEx(EditConvertExFunction function, void* userData);
    virtual void setEditConvert(EditConvertFunction function);
    void setRefreshText(TextRefreshFunction function, void* userData);

    bool isEditing() const { return editField != nullptr; }
    NativeEditField* getEditField() const { return editField; }

protected:
    ~TextEdit() override;

private:
    void editFieldEnter() override;
    void editFieldFocusLost() override;
    void leaveField();
    EditFieldSpec fieldSpec(DrawContext* context) const;
    void reportChange(DrawContext* context);

    NativeEditField* editField = nullptr;
    char text[kTextBufferSize] = {};
    // What the open field was last given: its text differs from this only when something was
    // typed, and only then does leaving it report.
    char fieldText[kTextBufferSize] = {};
    TextRefreshFunction refreshText = nullptr;
    void* refreshData = nullptr;
    EditConvertFunction editConvert = nullptr;
    EditConvertExFunction editConvertEx = nullptr;
};

}  // namespace brindlet
