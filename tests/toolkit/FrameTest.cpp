// Views, controls and the frame: reference counts, the view list, dispatch order and redraw.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/draw/DrawContext.h"

namespace brindlet {
namespace {

using test::dummyParent;
using test::HeadlessTest;
using Log = std::vector<std::string>;

// A control that logs what reaches it as "<name> <event>[ h,v]".
class ProbeControl : public Control {
public:
    explicit ProbeControl(const Rect& r, Log* log = nullptr, std::string name = "")
        : Control(r, nullptr, 0, nullptr), log(log), name(std::move(name)) {}

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
        return acceptDrop;
    }
    bool onWheel(DrawContext*, const Point& p, float) override {
        record("wheel", p);
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

protected:
    ~ProbeControl() override { record("destroyed", {}); }

private:
    void record(const std::string& what, const Point& p) {
        if (!log) return;
        log->push_back(name + " " + what +
                       (p == Point() ? "" : " " + std::to_string(p.h) + "," + std::to_string(p.v)));
    }
    Log* log;
    std::string name;
};

// A frame with a window and probes added in order (the last is on top); `log` is cleared.
class FrameTest : public HeadlessTest {
protected:
    ProbeControl* add(const Rect& r, const std::string& name) {
        auto* c = new ProbeControl(r, &log, name);
        frame.addView(c);
        log.clear();
        return c;
    }
    Log log;
    Frame frame{Rect(0, 0, 100, 100), &dummyParent, nullptr};
};

TEST(ViewTest, ReleaseAtCountZeroDoesNothing) {
    // A destructor that releases itself again, as a careless subclass might.
    struct SelfReleasing : View {
        explicit SelfReleasing(int32_t* d) : View(Rect()), destroyed(d) {}
        ~SelfReleasing() override {
            ++*destroyed;
            release();
        }
        int32_t* destroyed;
    };
    int32_t destroyed = 0;
    View* v = new SelfReleasing(&destroyed);
    v->retain();
    v->release();
    EXPECT_EQ(destroyed, 0);
    v->release();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(HeadlessTest, ControlClampingDoubleClicksAndBackground) {
    ProbeControl* c = new ProbeControl(Rect(0, 0, 10, 10));
    for (auto [min, max, value, clamped] : {std::tuple{0.0f, 1.0f, 1.5f, 1.0f},
                                            {0.0f, 1.0f, -0.5f, 0.0f},
                                            {0.8f, 0.2f, 0.5f, 0.2f}}) {  // upper bound first
        c->setMin(min);
        c->setMax(max);
        c->setValue(value);
        c->clampValue();
        EXPECT_EQ(c->getValue(), clamped) << value;
    }

    EXPECT_EQ(c->getDoubleClickTime(), 500);  // the system's time when made...
    headless::setDoubleClickTime(100);
    auto* fast = new ProbeControl(Rect());
    EXPECT_EQ(fast->getDoubleClickTime(), 250);  // ... but never below 250 ms
    fast->release();
    test::RecordingEditor editor;  // ticks come from the editor
    Frame frame(Rect(0, 0, 100, 100), nullptr, &editor);
    headless::setDoubleClickTime(600);
    auto* d = new ProbeControl(Rect(0, 0, 10, 10));
    frame.addView(d);
    // After a double click the next click is a fresh first one; a gap of the full time is not.
    const std::pair<uint32_t, bool> clicks[] = {
        {1000, false}, {1599, true}, {3000, false}, {3600, false}};
    for (auto [ticks, isDouble] : clicks) {
        headless::setTicks(ticks);
        EXPECT_EQ(d->checkDoubleClick(), isDouble) << ticks;
    }

    Bitmap* first = test::solidBitmap(4, 4, kRedColor);
    Bitmap* second = test::solidBitmap(4, 4, kRedColor);
    c->setBackground(first);
    c->setBackground(first);  // the same bitmap again keeps one reference
    EXPECT_EQ(first->getRefCount(), 2);
    c->setBackground(second);
    EXPECT_EQ(first->getRefCount(), 1);
    c->release();
    EXPECT_EQ(second->getRefCount(), 1);
    first->release();
    second->release();
}

TEST_F(FrameTest, ViewListGrowsByTwentyKeepsOrderAndOwnsItsChildren) {
    std::vector<View*> added;
    for (int i = 0; i < 21; ++i) {
        added.push_back(new ProbeControl(Rect(i, i, i + 1, i + 1)));
        ASSERT_TRUE(frame.addView(added.back()));
        EXPECT_EQ(frame.getCapacity(), i < 20 ? 20 : 40);
    }
    for (int i = 0; i < 21; ++i) EXPECT_EQ(frame.getView(i), added[i]);
    EXPECT_EQ(frame.getView(-1), nullptr);
    EXPECT_EQ(frame.getView(21), nullptr);
    EXPECT_TRUE(frame.removeView(added[10], true));
    EXPECT_EQ(frame.getViewCount(), 20);
    EXPECT_EQ(frame.getView(10), added[11]);
    EXPECT_FALSE(frame.addView(nullptr));
    View* stranger = new ProbeControl(Rect());
    EXPECT_TRUE(frame.removeView(stranger, true));  // not a child: left alone
    EXPECT_EQ(stranger->getRefCount(), 1);
    stranger->release();

    {
        Frame owner(Rect(0, 0, 100, 100), nullptr, nullptr);
        owner.addView(new ProbeControl(Rect(), &log, "a"));
        ProbeControl* b = new ProbeControl(Rect(), &log, "b");
        owner.addView(b);
        owner.setFocusView(b);
        b->retain();
        owner.removeView(b, false);  // kept alive by our reference
        EXPECT_EQ(owner.getFocusView(), nullptr);
        owner.addView(b);
        b->release();
    }
    EXPECT_EQ(log, (Log{"a attached", "b attached", "b loseFocus", "b removed", "b attached",
                        "a removed", "a destroyed", "b removed", "b destroyed"}));
}

TEST_F(FrameTest, ClicksGoToTheTopmostEnabledChildAfterClearingTheFocus) {
    ProbeControl* below = add(Rect(0, 0, 50, 50), "below");
    ProbeControl* above = add(Rect(40, 40, 90, 90), "above");
    frame.setFocusView(below);
    frame.setFocusView(below);  // giving the focus to the focus view is not losing it
    NativeWindow* w = frame.getWindow();
    headless::press(w, {45, 45});
    headless::press(w, {50, 50});  // the edge of "below" and inside "above"
    above->setMouseEnabled(false);
    headless::press(w, {50, 50});  // edges belong to the view
    headless::press(w, {51, 50});  // nobody
    EXPECT_EQ(log, (Log{"below loseFocus", "above mouse 45,45", "above mouse 50,50",
                        "below mouse 50,50"}));
    EXPECT_EQ(frame.getFocusView(), nullptr);
}

TEST_F(FrameTest, KeysGoToTheFocusViewFirstThenTopDown) {
    ProbeControl* a = add(Rect(), "a");
    ProbeControl* b = add(Rect(), "b");
    add(Rect(), "c");
    EXPECT_EQ(frame.onKeyDown(KeyCode{0, kKeyUp, 0}), -1);
    EXPECT_EQ(log, (Log{"c key", "b key", "a key"}));
    log.clear();
    frame.setFocusView(a);
    b->keyAnswer = 7;
    EXPECT_EQ(frame.onKeyDown(KeyCode{0, kKeyUp, 0}), 7);
    EXPECT_EQ(log, (Log{"a key", "c key", "b key"}));
}

TEST_F(FrameTest, DropsGoTopDownToEnabledViewsAndAreRefusedWithFocus) {
    ProbeControl* below = add(Rect(0, 0, 50, 50), "below");
    add(Rect(0, 0, 50, 50), "middle")->acceptDrop = true;
    add(Rect(0, 0, 50, 50), "top")->setMouseEnabled(false);
    NativeWindow* w = frame.getWindow();
    ASSERT_TRUE(headless::isDropTargetRegistered(w));
    headless::dropFiles(w, {"/tmp/a.wav", "/tmp/b.wav", "/tmp/c.wav"}, {50, 50});
    headless::dropText(w, "hello", 64, {10, 10});
    EXPECT_EQ(log, (Log{"middle drop 3/0 50,50", "middle drop 64/1 10,10"}));
    log.clear();
    frame.setFocusView(below);
    void* items[1] = {nullptr};
    EXPECT_FALSE(frame.onDrop(items, 1, 0, {10, 10}));
    EXPECT_EQ(log, Log{});
}

TEST_F(FrameTest, WheelGoesToTheChildUnderThePointer) {
    add(Rect(0, 0, 50, 50), "a");
    add(Rect(60, 60, 90, 90), "b")->setMouseEnabled(false);  // not tested for the wheel
    headless::setWindowOrigin(frame.getWindow(), {100, 200});
    headless::setInput(0, {170, 270});
    EXPECT_TRUE(frame.onWheel(nullptr, {5, 5}, 1.0f));  // `where` is ignored
    headless::setInput(0, {195, 295});
    EXPECT_FALSE(frame.onWheel(nullptr, {5, 5}, 1.0f));
    EXPECT_EQ(log, (Log{"b wheel 70,70"}));
}

TEST_F(FrameTest, IdleDrawsNothingBeforeTheFirstPaintAndOnlyDirtyViewsAfter) {
    ProbeControl* a = add(Rect(0, 0, 10, 10), "a");
    ProbeControl* b = add(Rect(20, 20, 30, 30), "b");
    auto draws = [&] { return std::pair{a->draws, b->draws}; };
    frame.idle();
    EXPECT_EQ(draws(), std::pair(0, 0));
    headless::paint(frame.getWindow(), Rect(0, 0, 15, 15));  // only "a" overlaps
    EXPECT_EQ(draws(), std::pair(1, 0));
    frame.idle();  // "b" is still dirty
    EXPECT_EQ(draws(), std::pair(1, 1));
    frame.idle();
    EXPECT_EQ(draws(), std::pair(1, 1));
    a->setValue(0.5f);
    frame.idle();
    EXPECT_EQ(draws(), std::pair(2, 1));
    frame.setDirty(true);  // the whole frame
    frame.idle();
    EXPECT_EQ(draws(), std::pair(3, 2));
    frame.redrawView(a);
    EXPECT_EQ(draws(), std::pair(4, 2));
    frame.redrawView(nullptr);
    EXPECT_EQ(draws(), std::pair(5, 3));
}

// Thread services are counted through an open frame by EditorBaseTest; the window class is the
// backend's, proven by the Windows suites.
TEST_F(HeadlessTest, WindowlessFramesAndWindowsDestroyedFromOutside) {
    Frame windowless(Rect(0, 0, 50, 40), nullptr, nullptr);
    EXPECT_EQ(windowless.getWindow(), nullptr);
    Frame frame(Rect(0, 0, 50, 40), &dummyParent, nullptr);
    ProbeControl* c = new ProbeControl(Rect(0, 0, 10, 10));
    frame.addView(c);
    headless::paint(frame.getWindow(), Rect(0, 0, 50, 40));
    headless::destroyFromOutside(frame.getWindow());
    EXPECT_FALSE(frame.isWindowOpen());
    EXPECT_EQ(frame.getParentWindow(), nullptr);
    c->setValue(0.7f);
    frame.idle();
    EXPECT_EQ(c->draws, 1);  // no deferred redraws once the window is gone
}

// Swapped buttons and modifiers map at the platform; the wheel test reads the pointer.
TEST(InputTest, ButtonsSwapAndModifiersMapAtThePlatform) {
    EXPECT_EQ(mapPhysicalInput(kPhysicalLeft, true), kRButton);
    EXPECT_EQ(mapPhysicalInput(kPhysicalRight, true), kLButton);
    EXPECT_EQ(
        mapPhysicalInput(kPhysicalMiddle | kPhysicalShift | kPhysicalControl | kPhysicalAlt, false),
        kMButton | kShift | kControl | kAlt);
}

TEST_F(HeadlessTest, NullContextsAndAMissingEditorAreTolerated) {
    Log log;
    Frame frame(Rect(0, 0, 100, 100), nullptr, nullptr);
    ProbeControl* c = new ProbeControl(Rect(0, 0, 10, 10), &log, "a");
    c->idleEditor();  // no frame yet
    frame.addView(c);
    c->idleEditor();  // no editor
    headless::setTicks(1234);
    EXPECT_EQ(frame.getTicks(), 0u);  // ticks come from the editor
    EXPECT_FALSE(frame.beginEdit(3));
    EXPECT_EQ(frame.endEdit(3), 0);
    frame.onMouseDown(nullptr, {5, 5});
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

}  // namespace
}  // namespace brindlet
