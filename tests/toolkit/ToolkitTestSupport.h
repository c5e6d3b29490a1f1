// Shared helpers of the toolkit and editor tests: BMP bytes, a recording listener and editor,
// picture paths, and the font caches freed at exit.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/core/Control.h"
#include "toolkit/core/ControlListener.h"
#include "toolkit/core/Frame.h"
#include "toolkit/core/FrameEditor.h"
#include "toolkit/platform/headless/Headless.h"

namespace brindlet::test {

// Any non-null parent makes the headless backend open a window.
inline int dummyParent;

// A 24-bit uncompressed BMP file of width x height with the given pixels.
std::vector<uint8_t> makeBmp(int32_t width, int32_t height,
                             const std::function<Color(int32_t x, int32_t y)>& pixel,
                             bool topDown = false);
inline Bitmap* makeBitmap(const std::vector<uint8_t>& bytes) {
    return new Bitmap(bytes.data(), bytes.size());
}
inline Bitmap* solidBitmap(int32_t width, int32_t height, Color c) {
    return makeBitmap(makeBmp(width, height, [c](int32_t, int32_t) { return c; }));
}

// Where a test's picture goes: <build>/pictures/<folder>/<name>.png
inline std::string picturePath(const std::string& name, const std::string& folder = "toolkit") {
    return std::string(BRINDLET_BUILD_DIR) + "/pictures/" + folder + "/" + name + ".png";
}

// The font caches live for the whole process; freeing them at the end keeps leak checks clean.
class FontCacheRelease : public ::testing::Environment {
public:
    void TearDown() override { headless::releaseFontCaches(); }
};
inline ::testing::Environment* const fontCacheRelease =
    ::testing::AddGlobalTestEnvironment(new FontCacheRelease);

struct Report {
    int32_t tag;
    float value;
    bool withContext;
};

class RecordingListener : public ControlListener {
public:
    void valueChanged(DrawContext* context, Control* control) override {
        reports.push_back({control->getTag(), control->getValue(), context != nullptr});
    }
    std::vector<float> values() const {
        std::vector<float> v;
        for (const Report& r : reports) v.push_back(r.value);
        return v;
    }
    std::vector<Report> reports;
};

// Records the edit bracket and idle calls that reach the editor; idles `frame` when set.
class RecordingEditor : public FrameEditor {
public:
    void idleAndPump() override {
        ++idleCalls;
        if (frame) frame->idle();
    }
    bool beginEdit(int32_t tag) override {
        events.push_back("begin " + std::to_string(tag));
        return true;
    }
    int32_t endEdit(int32_t tag) override {
        events.push_back("end " + std::to_string(tag));
        return 1;
    }
    int32_t idleCalls = 0;
    std::vector<std::string> events;
    Frame* frame = nullptr;
};

// A control whose value changes right after a draw has read it, as a feed landing mid-draw
// would: the draw must leave the control dirty so that the change is drawn next.
template <class Base>
class ChangedWhileDrawn : public Base {
public:
    using Base::Base;
    float getValue() const override {
        const float read = Base::getValue();
        if (pending && drawing) {
            const_cast<ChangedWhileDrawn*>(this)->Base::setValue(*pending);
            pending.reset();
            ++changes;
        }
        return read;
    }
    void draw(DrawContext* context) override {
        drawing = true;
        Base::draw(context);
        drawing = false;
    }
    // The first read of the value inside a draw stores `next`.
    void changeOnNextRead(float next) { pending = next; }
    int32_t changesMade() const { return changes; }

private:
    mutable std::optional<float> pending;
    mutable int32_t changes = 0;
    bool drawing = false;
};

// Draws `control` at `before` while its value becomes `after`; then the next redraw shows `after`.
template <class C>
void expectChangeDuringDrawIsDrawnNext(ChangedWhileDrawn<C>* control, DrawContext* context,
                                       float before, float after) {
    control->setValue(before);
    control->setOldValue(0.0f);  // a meter rises from rest to `before` at once
    control->setDirty(true);
    control->changeOnNextRead(after);
    control->redrawIfDirty(context);
    EXPECT_EQ(control->changesMade(), 1);
    EXPECT_EQ(control->getOldValue(), before);
    EXPECT_TRUE(control->isDirty());
    control->redrawIfDirty(context);
    EXPECT_EQ(control->getOldValue(), after);
    EXPECT_FALSE(control->isDirty());
}

// Resets the headless backend around every test.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override { headless::reset(); }
    void TearDown() override { headless::reset(); }
};

// A 465 x 360 frame in a window, idled by a recording editor, and a listener for its controls.
class FrameWindowTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        frame = new Frame(Rect(0, 0, 465, 360), &dummyParent, &editor);
        editor.frame = frame;
    }
    void TearDown() override {
        delete frame;
        HeadlessTest::TearDown();
    }

    Frame* frame = nullptr;
    RecordingEditor editor;
    RecordingListener listener;
};

// Steps holding the left button at the given window positions (window at screen origin).
inline std::vector<headless::InputStep> dragSteps(const std::vector<Point>& points) {
    std::vector<headless::InputStep> steps;
    for (const Point& p : points) steps.push_back({kPhysicalLeft, p});
    return steps;
}

}  // namespace brindlet::test
