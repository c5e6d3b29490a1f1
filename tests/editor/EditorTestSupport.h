// Shared helpers of the editor tests: a fake effect that records what the editor asks of it and an
// editor fixture on the headless backend.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "editor/EditorLayout.h"
#include "editor/PluginEditor.h"
#include "editor/TextEdit.h"
#include "shell/EditorHost.h"
#include "shell/FactoryPresetTable.h"
#include "tests/toolkit/ToolkitTestSupport.h"

namespace brindlet::test {

struct HostCall {
    enum Kind { Set, Automate, BeginEdit, EndEdit, UpdateDisplay };
    Kind kind;
    int32_t index = 0;
    float value = 0.0f;
    bool operator==(const HostCall&) const = default;
};

// Stores parameters 0..13 and passes every index on to the editor, as the effect does.
class FakeEditorHost : public EditorHost {
public:
    float getParameter(int32_t index) override {
        return (index >= 0 && index < kNumParams) ? params[index] : 0.0f;
    }
    void setParameter(int32_t index, float value) override {
        calls.push_back({HostCall::Set, index, value});
        if (index >= 0 && index < kNumParams) params[index] = value;
        if (editor) editor->setParameter(index, value);
    }
    void automateParameter(int32_t index, float value) override {
        setParameter(index, value);
        calls.push_back({HostCall::Automate, index, value});
    }
    bool beginEdit(int32_t index) override {
        calls.push_back({HostCall::BeginEdit, index});
        return true;
    }
    bool endEdit(int32_t index) override {
        calls.push_back({HostCall::EndEdit, index});
        return true;
    }
    bool updateHostDisplay() override {
        calls.push_back({HostCall::UpdateDisplay});
        return true;
    }
    void hostIdle() override {}
    void registerEditor(EditorBase* e) override { editor = e; }

    void loadPreset(int32_t k) { std::copy_n(kFactoryPresetTable[k].values, kNumParams, params); }
    std::vector<HostCall> callsOf(HostCall::Kind kind) const {
        std::vector<HostCall> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                     [kind](const HostCall& c) { return c.kind == kind; });
        return out;
    }

    float params[kNumParams] = {};
    std::vector<HostCall> calls;
    EditorBase* editor = nullptr;
};

// The middle of the control with `tag`, in window pixels.
inline Point centreOf(int32_t tag) {
    const Rect& r = kEditorLayout[layoutRowOfTag(tag)].bounds;
    return Point((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// A fresh headless backend, a fake effect at factory program 0 and its editor.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        host.loadPreset(0);
        editor = new PluginEditor(&host);
    }
    void TearDown() override {
        delete editor;
        headless::reset();
    }

    // Opens the editor and paints the whole window once, so idle redraws from then on.
    void openAndPaint() {
        ASSERT_EQ(editor->open(&dummyParent), 1);
        window = editor->getFrame()->getWindow();
        headless::paint(window, Rect(0, 0, 465, 360));
    }
    Control* control(int32_t tag) const { return editor->getLayoutControl(layoutRowOfTag(tag)); }
    // A left click (press and release) in the window at `where`.
    void click(const Point& where) { headless::press(window, where); }
    // Clicks the Pitch/ End entry and returns the field it opened, if any.
    NativeEditField* openEntry() {
        click(centreOf(kTagEndEntry));
        return headless::getOpenEditField();
    }
    std::string entryText() const {
        char text[kTextBufferSize];
        editor->getTextEdit()->getText(text);
        return text;
    }
    Color pixel(int32_t x, int32_t y) const { return headless::getWindowPixel(window, x, y); }

    FakeEditorHost host;
    PluginEditor* editor = nullptr;
    NativeWindow* window = nullptr;
};

}  // namespace brindlet::test
