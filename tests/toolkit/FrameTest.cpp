// Views, controls and the frame: reference counts, dirty tracking, the view list, dispatch and
// redraw.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/core/Frame.h"
#include "toolkit/draw/DrawContext.h"

namespace brindlet {
namespace {

using test::HeadlessTest;
using test::RecordingEditor;

// A control that records what reaches it.
class ProbeControl : public Control {
public:
    ProbeControl(const Rect& r, std::vector<std::string>* log = nullptr, std::string name = "",
                 int32_t* destroyed = nullptr)
        : Control(r, nullptr, 0, nullptr), log(log), name(std::move(name)), destroyed(destroyed) {}

    void draw(DrawContext*) override {
        ++draws;
        setDirty(false);
    }
    void onMouseDown(DrawContext*, const Point& p) override { record("mouse", p); }
    int32_t onKeyDown(const KeyCode&) override {
        record("key", {});
        return keyAnswer;
    }
    bool onDrop(void**, int32_t count, int32_t type, const Point& p) override {
        record("drop " + std::to_string(count) + "/" + std::to_string(type), p);
        dropped = {count, type};
        return acceptDrop;
    }
    bool onWheel(DrawContext* c, const Point& p, float) override {
        record(c ? "wheel" : "wheel-null", p);
        return true;
    }
    void loseFocus(DrawContext*) override { record("loseFocus", {}); }
    bool onAttached(View*) override {
        record("attached", {});
        return true;
    }
    bool onRemoved(View*) override {
        record("removed", {});
        return true;
    }

    int32_t draws = 0;
    int32_t keyAnswer = -1;
    bool acceptDrop = false;
    Point dropped;

protected:
    ~ProbeControl() override {
        if (destroyed) ++*destroyed;
    }

private:
    void record(const std::string& what, const Point& p) {
        if (log)
            log->push_back(
                name + " " + what +
                (p == Point() ? "" : " " + std::to_string(p.h) + "," + std::to_string(p.v)));
    }
    std::vector<std::string>* log;
    std::string name;
    int32_t* destroyed;
};

// A view whose destructor releases itself again, as a careless subclass might.
class SelfReleasingView : public View {
public:
    explicit SelfReleasingView(int32_t* destroyed) : View(Rect()), destroyed(destroyed) {}

protected:
    ~SelfReleasingView() override {
        ++*destroyed;
        release();  // count is 0 here: must do nothing
    }

private:
    int32_t* destroyed;
};

int dummyParent;

// ---- View and Control ------------------------------------------------------------------------

TEST(ViewTest, HitTestAndOverlapIncludeAllEdges) {
    View* v = new View(Rect(10, 20, 30, 40));
    EXPECT_TRUE(v->hitTest({30, 40}, 0));
    EXPECT_TRUE(v->hitTest({10, 20}, 0));
    EXPECT_FALSE(v->hitTest({31, 40}, 0));
    EXPECT_FALSE(v->hitTest({10, 41}, 0));
    EXPECT_TRUE(v->overlaps(Rect(30, 40, 50, 60)));  // touching corner
    EXPECT_TRUE(v->overlaps(Rect(0, 0, 10, 20)));
    EXPECT_FALSE(v->overlaps(Rect(31, 0, 50, 60)));
    EXPECT_FALSE(v->overlaps(Rect(0, 0, 9, 19)));

    v->setBounds(Rect(0, 0, 5, 5));
    EXPECT_TRUE(v->isDirty());
    Rect area;
    v->getMouseArea(area);
    EXPECT_EQ(area, Rect(10, 20, 30, 40));  // the mouse area stays
    v->release();
}

TEST(ViewTest, ReferenceCountDestroysAtZeroAndReleaseAtZeroDoesNothing) {
    int32_t destroyed = 0;
    View* v = new SelfReleasingView(&destroyed);
    v->retain();
    EXPECT_EQ(v->getRefCount(), 2);
    v->release();
    EXPECT_EQ(destroyed, 0);
    v->release();  // the destructor's own release at count 0 must not delete twice
    EXPECT_EQ(destroyed, 1);
}

TEST_F(HeadlessTest, ControlDirtyRulesAndClamping) {
    ProbeControl* c = new ProbeControl(Rect(0, 0, 10, 10));
    EXPECT_TRUE(c->isDirty());  // value 0, drawn value 1
    c->setDirty(false);
    EXPECT_FALSE(c->isDirty());
    EXPECT_EQ(c->getOldValue(), 0.0f);
    c->setDirty(true);
    EXPECT_EQ(c->getOldValue(), -1.0f);
    c->setValue(-1.0f);
    c->setDirty(true);
    EXPECT_EQ(c->getOldValue(), 0.0f);
    EXPECT_TRUE(c->isDirty());

    c->setValue(1.5f);
    c->clampValue();
    EXPECT_EQ(c->getValue(), 1.0f);
    c->setValue(-0.5f);
    c->clampValue();
    EXPECT_EQ(c->getValue(), 0.0f);
    c->setMin(0.8f);
    c->setMax(0.2f);  // inverted range: the upper bound is tested first
    c->setValue(0.5f);
    c->clampValue();
    EXPECT_EQ(c->getValue(), 0.2f);
    c->release();
}

TEST_F(HeadlessTest, DoubleClickTimeIsNeverBelow250) {
    headless::setDoubleClickTime(100);
    ProbeControl* fast = new ProbeControl(Rect());
    EXPECT_EQ(fast->getDoubleClickTime(), 250);
    headless::setDoubleClickTime(600);
    ProbeControl* slow = new ProbeControl(Rect());
    EXPECT_EQ(slow->getDoubleClickTime(), 600);
    fast->release();
    slow->release();
}

TEST_F(HeadlessTest, DoubleClickRuleUsesFrameTicks) {
    RecordingEditor editor;
    Frame frame(Rect(0, 0, 100, 100), nullptr, &editor);
    ProbeControl* c = new ProbeControl(Rect(0, 0, 10, 10));
    frame.addView(c);
    headless::setTicks(1000);
    EXPECT_FALSE(c->checkDoubleClick());
    headless::setTicks(1000 + 499);
    EXPECT_TRUE(c->checkDoubleClick());
    headless::setTicks(3000);
    EXPECT_FALSE(c->checkDoubleClick());  // a fresh first click after a double click
    headless::setTicks(3000 + 500);
    EXPECT_FALSE(c->checkDoubleClick());  // the gap reached the double-click time
}

TEST_F(HeadlessTest, ControlRetainsItsBackground) {
    const auto bytes = test::makeSolidBmp(4, 4, kRedColor);
    Bitmap* first = new Bitmap(bytes.data(), bytes.size());
    Bitmap* second = new Bitmap(bytes.data(), bytes.size());
    ProbeControl* c = new ProbeControl(Rect());
    c->setBackground(first);
    EXPECT_EQ(first->getRefCount(), 2);
    c->setBackground(first);  // the same bitmap again keeps one reference
    EXPECT_EQ(first->getRefCount(), 2);
    c->setBackground(second);
    EXPECT_EQ(first->getRefCount(), 1);
    EXPECT_EQ(second->getRefCount(), 2);
    c->setBackground(nullptr);
    EXPECT_EQ(second->getRefCount(), 1);
    c->release();
    first->release();
    second->release();
}

// ---- View list -------------------------------------------------------------------------------

TEST_F(HeadlessTest, ViewListGrowsByTwentyAndKeepsOrder) {
    Frame frame(Rect(0, 0, 100, 100), nullptr, nullptr);
    std::vector<View*> added;
    for (int i = 0; i < 21; ++i) {
        added.push_back(new ProbeControl(Rect(i, i, i + 1, i + 1)));
        ASSERT_TRUE(frame.addView(added.back()));
        EXPECT_EQ(frame.getCapacity(), i < 20 ? 20 : 40);
    }
    ASSERT_EQ(frame.getViewCount(), 21);
    for (int i = 0; i < 21; ++i) EXPECT_EQ(frame.getView(i), added[i]);
    EXPECT_EQ(frame.getView(-1), nullptr);
    EXPECT_EQ(frame.getView(21), nullptr);
    EXPECT_EQ(added[5]->getFrame(), &frame);

    EXPECT_TRUE(frame.removeView(added[10], true));
    EXPECT_EQ(frame.getViewCount(), 20);
    EXPECT_EQ(frame.getView(10), added[11]);
    EXPECT_EQ(frame.getView(9), added[9]);
    EXPECT_FALSE(frame.containsView(added[10]));

    View* stranger = new ProbeControl(Rect());
    EXPECT_TRUE(frame.removeView(stranger, true));
    EXPECT_EQ(frame.getViewCount(), 20);
    EXPECT_EQ(stranger->getRefCount(), 1);
    stranger->release();
    EXPECT_FALSE(frame.addView(nullptr));
}

TEST_F(HeadlessTest, FrameOwnsItsChildrenAndTellsThem) {
    int32_t destroyed = 0;
    std::vector<std::string> log;
    {
        Frame frame(Rect(0, 0, 100, 100), nullptr, nullptr);
        frame.addView(new ProbeControl(Rect(), &log, "a", &destroyed));
        ProbeControl* kept = new ProbeControl(Rect(), &log, "b", &destroyed);
        frame.addView(kept);
        kept->retain();
        frame.removeView(kept, false);
        EXPECT_EQ(kept->getRefCount(), 2);
        kept->release();
        frame.addView(kept);
    }
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"a attached", "b attached", "b removed", "b attached",
                                             "a removed", "b removed"}));
}

TEST_F(HeadlessTest, RemovingTheFocusViewClearsTheFocus) {
    std::vector<std::string> log;
    Frame frame(Rect(0, 0, 100, 100), nullptr, nullptr);
    ProbeControl* c = new ProbeControl(Rect(), &log, "c");
    frame.addView(c);
    frame.setFocusView(c);
    frame.removeView(c, true);
    EXPECT_EQ(frame.getFocusView(), nullptr);
    EXPECT_EQ(log.back(), "c removed");
    EXPECT_EQ(log[log.size() - 2], "c loseFocus");
}

// ---- Dispatch --------------------------------------------------------------------------------

TEST_F(HeadlessTest, ClicksGoToTheTopmostEnabledChild) {
    std::vector<std::string> log;
    Frame frame(Rect(0, 0, 100, 100), &dummyParent, nullptr);
    ProbeControl* below = new ProbeControl(Rect(0, 0, 50, 50), &log, "below");
    ProbeControl* above = new ProbeControl(Rect(40, 40, 90, 90), &log, "above");
    frame.addView(below);
    frame.addView(above);
    NativeWindow* w = frame.getWindow();
    headless::press(w, {45, 45});
    headless::press(w, {50, 50});  // the edge of "below" and inside "above"
    above->setMouseEnabled(false);
    headless::press(w, {45, 45});
    headless::press(w, {95, 95});  // nobody
    EXPECT_EQ(log,
              (std::vector<std::string>{"below attached", "above attached", "above mouse 45,45",
                                        "above mouse 50,50", "below mouse 45,45"}));
}

TEST_F(HeadlessTest, AClickClearsTheFocusFirst) {
    std::vector<std::string> log;
    Frame frame(Rect(0, 0, 100, 100), &dummyParent, nullptr);
    ProbeControl* a = new ProbeControl(Rect(0, 0, 10, 10), &log, "a");
    frame.addView(a);
    frame.setFocusView(a);
    frame.setFocusView(a);  // giving the focus to the focus view is not losing it
    log.clear();
    headless::press(frame.getWindow(), {5, 5});
    EXPECT_EQ(log, (std::vector<std::string>{"a loseFocus", "a mouse 5,5"}));
    EXPECT_EQ(frame.getFocusView(), nullptr);
}

TEST_F(HeadlessTest, KeysGoToTheFocusViewFirstThenTopDown) {
    std::vector<std::string> log;
    Frame frame(Rect(0, 0, 100, 100), nullptr, nullptr);
    ProbeControl* a = new ProbeControl(Rect(), &log, "a");
    ProbeControl* b = new ProbeControl(Rect(), &log, "b");
    ProbeControl* c = new ProbeControl(Rect(), &log, "c");
    frame.addView(a);
    frame.addView(b);
    frame.addView(c);
    log.clear();
    EXPECT_EQ(frame.onKeyDown(KeyCode{0, kKeyUp, 0}), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"c key", "b key", "a key"}));

    log.clear();
    frame.setFocusView(a);
    b->keyAnswer = 7;
    EXPECT_EQ(frame.onKeyDown(KeyCode{0, kKeyUp, 0}), 7);
    EXPECT_EQ(log, (std::vector<std::string>{"a key", "c key", "b key"}));
}

TEST_F(HeadlessTest, DropsGoTopDownToEnabledViewsAndAreRefusedWithFocus) {
    std::vector<std::string> log;
    Frame frame(Rect(0, 0, 100, 100), &dummyParent, nullptr);
    ProbeControl* below = new ProbeControl(Rect(0, 0, 50, 50), &log, "below");
    ProbeControl* middle = new ProbeControl(Rect(0, 0, 50, 50), &log, "middle");
    ProbeControl* top = new ProbeControl(Rect(0, 0, 50, 50), &log, "top");
    frame.addView(below);
    frame.addView(middle);
    frame.addView(top);
    middle->acceptDrop = true;
    top->setMouseEnabled(false);
    log.clear();
    NativeWindow* w = frame.getWindow();
    ASSERT_TRUE(headless::isDropTargetRegistered(w));
    headless::dropFiles(w, {"/tmp/a.wav", "/tmp/b.wav", "/tmp/c.wav"}, {50, 50});
    EXPECT_EQ(log, (std::vector<std::string>{"middle drop 3/0 50,50"}));

    log.clear();
    headless::dropText(w, "hello", 64, {10, 10});
    EXPECT_EQ(log, (std::vector<std::string>{"middle drop 64/1 10,10"}));

    log.clear();
    frame.setFocusView(below);
    void* items[1] = {nullptr};
    EXPECT_FALSE(frame.onDrop(items, 1, 0, {10, 10}));
    EXPECT_EQ(log, std::vector<std::string>{});
}

TEST_F(HeadlessTest, WheelGoesToTheChildUnderThePointer) {
    std::vector<std::string> log;
    Frame frame(Rect(0, 0, 100, 100), &dummyParent, nullptr);
    ProbeControl* a = new ProbeControl(Rect(0, 0, 50, 50), &log, "a");
    ProbeControl* b = new ProbeControl(Rect(60, 60, 90, 90), &log, "b");
    b->setMouseEnabled(false);  // not tested for the wheel
    frame.addView(a);
    frame.addView(b);
    log.clear();
    headless::setWindowOrigin(frame.getWindow(), {100, 200});
    headless::setInput(0, {170, 270});
    EXPECT_TRUE(frame.onWheel(nullptr, {5, 5}, 1.0f));  // `where` is ignored
    headless::setInput(0, {195, 295});
    EXPECT_FALSE(frame.onWheel(nullptr, {5, 5}, 1.0f));
    EXPECT_EQ(log, (std::vector<std::string>{"b wheel 70,70"}));
}

TEST_F(HeadlessTest, EditBracketAndTicksNeedAnEditor) {
    RecordingEditor editor;
    Frame with(Rect(0, 0, 10, 10), nullptr, &editor);
    Frame without(Rect(0, 0, 10, 10), nullptr, nullptr);
    headless::setTicks(1234);
    EXPECT_EQ(with.getTicks(), 1234u);
    EXPECT_EQ(without.getTicks(), 0u);
    EXPECT_TRUE(with.beginEdit(3));
    EXPECT_EQ(with.endEdit(3), 1);
    EXPECT_FALSE(without.beginEdit(3));
    EXPECT_EQ(without.endEdit(3), 0);
    EXPECT_EQ(editor.events, (std::vector<std::string>{"begin 3", "end 3"}));

    ProbeControl* c = new ProbeControl(Rect());
    with.addView(c);
    c->idleEditor();
    EXPECT_EQ(editor.idleCalls, 1);
    ProbeControl* orphan = new ProbeControl(Rect());
    orphan->idleEditor();  // no frame: nothing
    orphan->release();
}

// ---- Redraw ----------------------------------------------------------------------------------

TEST_F(HeadlessTest, IdleDrawsNothingBeforeTheFirstPaintAndOnlyDirtyViewsAfter) {
    Frame frame(Rect(0, 0, 100, 100), &dummyParent, nullptr);
    ProbeControl* a = new ProbeControl(Rect(0, 0, 10, 10));
    ProbeControl* b = new ProbeControl(Rect(20, 20, 30, 30));
    frame.addView(a);
    frame.addView(b);
    frame.idle();
    EXPECT_EQ(a->draws + b->draws, 0);

    headless::paint(frame.getWindow(), Rect(0, 0, 15, 15));  // only "a" overlaps
    EXPECT_FALSE(frame.isFirstDraw());
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 0);

    frame.idle();  // "b" is still dirty
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 1);
    frame.idle();
    EXPECT_EQ(a->draws + b->draws, 2);

    a->setValue(0.5f);
    frame.idle();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 1);

    frame.setDirty(true);  // the whole frame
    frame.idle();
    EXPECT_EQ(a->draws, 3);
    EXPECT_EQ(b->draws, 2);
    EXPECT_FALSE(frame.isDirty());
}

TEST_F(HeadlessTest, RedrawViewDrawsOneChildOrTheWholeFrame) {
    Frame frame(Rect(0, 0, 100, 100), &dummyParent, nullptr);
    ProbeControl* a = new ProbeControl(Rect(0, 0, 10, 10));
    ProbeControl* b = new ProbeControl(Rect(20, 20, 30, 30));
    frame.addView(a);
    frame.addView(b);
    frame.redrawView(a);
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 0);
    frame.redrawView(nullptr);
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 1);
}

TEST_F(HeadlessTest, WindowLifecycleAndDestroyedWindows) {
    const int32_t services = headless::getThreadServicesDepth();
    {
        Frame first(Rect(0, 0, 50, 40), &dummyParent, nullptr);
        EXPECT_EQ(headless::getWindowClassUsers(), 1);
        {
            Frame second(Rect(0, 0, 50, 40), &dummyParent, nullptr);
            EXPECT_EQ(headless::getWindowClassUsers(), 2);
            EXPECT_EQ(headless::getThreadServicesDepth(), services + 2);
        }
        EXPECT_EQ(headless::getWindowClassUsers(), 1);
        Frame windowless(Rect(0, 0, 50, 40), nullptr, nullptr);
        EXPECT_EQ(windowless.getWindow(), nullptr);
        EXPECT_EQ(headless::getWindowClassUsers(), 1);

        ProbeControl* c = new ProbeControl(Rect(0, 0, 10, 10));
        first.addView(c);
        headless::paint(first.getWindow(), Rect(0, 0, 50, 40));
        headless::destroyFromOutside(first.getWindow());
        EXPECT_FALSE(first.isWindowOpen());
        EXPECT_EQ(first.getParentWindow(), nullptr);
        c->setValue(0.7f);
        first.idle();
        EXPECT_EQ(c->draws, 1);  // no deferred redraws once the window is gone
    }
    EXPECT_EQ(headless::getWindowClassUsers(), 0);
    EXPECT_EQ(headless::getThreadServicesDepth(), services);
}

TEST_F(HeadlessTest, NullContextsAreTolerated) {
    std::vector<std::string> log;
    Frame frame(Rect(0, 0, 100, 100), nullptr, nullptr);
    ProbeControl* a = new ProbeControl(Rect(0, 0, 10, 10), &log, "a");
    frame.addView(a);
    frame.onMouseDown(nullptr, {5, 5});  // buttons not read: -1
    frame.draw(nullptr);
    frame.drawInRect(nullptr, Rect(0, 0, 100, 100));
    EXPECT_EQ(log.back(), "a mouse 5,5");
    DrawContext empty(nullptr, nullptr, nullptr);
    empty.fillRect(Rect(0, 0, 10, 10));
    empty.lineTo({5, 5});
    empty.setFont(3);
    empty.drawString("text", Rect(0, 0, 10, 10));
    empty.drawString(nullptr, Rect(0, 0, 10, 10));
}

// ---- Native edit field seam ------------------------------------------------------------------

// Closes its field from inside the field's own report, as a text entry does.
class ClosingOwner : public EditFieldEvents {
public:
    void editFieldEnter() override { close("enter"); }
    void editFieldFocusLost() override { close("focus"); }
    void close(const char* why) {
        char text[8];
        platform::getEditFieldText(field, text, sizeof text);
        seen.push_back(std::string(why) + ":" + text);
        platform::destroyEditField(field);
        field = nullptr;
    }
    NativeEditField* field = nullptr;
    std::vector<std::string> seen;
};

TEST_F(HeadlessTest, EditFieldOpensSelectedTakesTypingAndReports) {
    Frame frame(Rect(0, 0, 465, 360), &dummyParent, nullptr);
    EditFieldSpec spec;
    spec.bounds = Rect(385, 127, 429, 147);
    spec.text = "0.5000";
    spec.textColor = kRedColor;
    spec.maxLength = 10;
    ClosingOwner owner;
    EXPECT_EQ(platform::createEditField(nullptr, spec, &owner), nullptr);
    owner.field = platform::createEditField(frame.getWindow(), spec, &owner);
    ASSERT_NE(owner.field, nullptr);
    EXPECT_EQ(headless::getOpenEditField(), owner.field);
    headless::EditFieldState state = headless::getEditFieldState(owner.field);
    EXPECT_EQ(state.bounds, spec.bounds);
    EXPECT_EQ(state.text, "0.5000");
    EXPECT_TRUE(state.allSelected);
    EXPECT_TRUE(state.focused);
    EXPECT_EQ(state.textColor, kRedColor);

    headless::typeIntoEditField(owner.field, "0.25");  // replaces the selection
    headless::typeIntoEditField(owner.field, "1234567890");
    EXPECT_EQ(headless::getEditFieldState(owner.field).text, "0.25123456");  // the length limit
    headless::pressEnterInEditField(owner.field);
    EXPECT_EQ(owner.seen, std::vector<std::string>{"enter:0.25123"});  // 7 bytes and the zero
    EXPECT_EQ(headless::getOpenEditField(), nullptr);

    owner.field = platform::createEditField(frame.getWindow(), spec, &owner);
    headless::moveFocusAway(owner.field);
    EXPECT_EQ(owner.seen.back(), "focus:0.5000");
    platform::destroyEditField(nullptr);
    EXPECT_EQ(platform::getEditFieldText(nullptr, nullptr, 0), 0);
}

TEST_F(HeadlessTest, EditFieldsGoWithTheirWindow) {
    {
        Frame frame(Rect(0, 0, 100, 100), &dummyParent, nullptr);
        EditFieldSpec spec;
        platform::createEditField(frame.getWindow(), spec, nullptr);
        EXPECT_EQ(headless::getEditFieldCount(), 1);
    }
    EXPECT_EQ(headless::getEditFieldCount(), 0);
}

}  // namespace
}  // namespace brindlet
