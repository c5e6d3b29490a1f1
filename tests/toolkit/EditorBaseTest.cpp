// The editor's host side: registration, pending updates, key forwarding and idle-and-pump timing.
#include <gtest/gtest.h>

#include "shell/EditorBase.h"
#include "shell/EditorHost.h"
#include "tests/toolkit/ToolkitTestSupport.h"

namespace brindlet {
namespace {

using test::dummyParent;

class FakeEffect : public EditorHost {
public:
    float getParameter(int32_t) override { return 0.0f; }
    void setParameter(int32_t, float) override {}
    void automateParameter(int32_t, float) override {}
    bool beginEdit(int32_t index) override {
        edits.push_back("begin " + std::to_string(index));
        return true;
    }
    bool endEdit(int32_t index) override {
        edits.push_back("end " + std::to_string(index));
        return true;
    }
    bool updateHostDisplay() override { return true; }
    void hostIdle() override {
        idleTicks.push_back(headless::getTicks());
        if (editor) editor->idle();  // a host answering with a nested effEditIdle
    }
    void registerEditor(EditorBase* e) override { editor = e; }

    EditorBase* editor = nullptr;
    std::vector<uint32_t> idleTicks;
    std::vector<std::string> edits;
};

// An editor with a frame while open, counting its updates.
class TestEditor : public EditorBase {
public:
    using EditorBase::EditorBase;
    ~TestEditor() override { close(); }
    int32_t open(void* parent) override {
        EditorBase::open(parent);
        frame = new Frame(Rect(0, 0, 465, 360), parent, this);
        return 1;
    }
    void close() override {
        delete frame;
        frame = nullptr;
    }
    void update() override { ++updates; }
    int32_t updates = 0;
};

class EditorBaseTest : public test::HeadlessTest {
protected:
    FakeEffect effect;
};

TEST_F(EditorBaseTest, AnswersWithoutAWindowAndPostsUpdatesForTheNextIdle) {
    EditorBase(nullptr).idleAndPump();  // no effect: nothing to register with
    TestEditor editor(&effect);
    EXPECT_EQ(effect.editor, &editor);
    EXPECT_FALSE(editor.getRect(nullptr));
    EXPECT_EQ(editor.onKeyDown(KeyCode{0, kKeyUp, 0}), -1);
    EXPECT_FALSE(editor.onWheel(1.0f));
    editor.redraw();

    editor.postUpdate();
    editor.setParameter(3, 0.5f);
    editor.idle();
    editor.idle();
    EXPECT_EQ(editor.updates, 1);
    EXPECT_EQ(editor.open(&dummyParent), 1);
    editor.idle();
    EXPECT_EQ(editor.updates, 2);  // open posts an update
}

TEST_F(EditorBaseTest, EditsAndThreadServicesGoThroughTheOpenFrame) {
    const int32_t services = headless::getThreadServicesDepth();
    {
        TestEditor editor(&effect);
        editor.open(&dummyParent);
        EXPECT_EQ(headless::getThreadServicesDepth(), services + 2);
        EXPECT_TRUE(editor.getFrame()->beginEdit(7));
        EXPECT_EQ(editor.getFrame()->endEdit(7), 1);
        EXPECT_EQ(effect.edits, (std::vector<std::string>{"begin 7", "end 7"}));
        editor.close();
        EXPECT_EQ(editor.getFrame(), nullptr);
    }
    EXPECT_EQ(headless::getThreadServicesDepth(), services);
}

TEST_F(EditorBaseTest, IdleAndPumpRunsWhenDueAndFromFortySixMillisecondsAfterARun) {
    headless::setTicks(1000);
    TestEditor editor(&effect);
    struct Step {
        uint32_t now;
        size_t runs;
        uint32_t slept, nextIdle;
    };
    const Step steps[] = {
        {1000, 1, 0, 1100},  // due at once
        {1045, 1, 4, 1100},  // 45 ms after the run: sleeps and returns
        {1046, 2, 8, 1150},  // 46 ms: sleeps, then runs; next from the tick plus the sleep
    };
    for (const Step& s : steps) {
        headless::setTicks(s.now);
        editor.idleAndPump();
        EXPECT_EQ(effect.idleTicks.size(), s.runs) << s.now;
        EXPECT_EQ(headless::getSleptMilliseconds(), s.slept) << s.now;
        EXPECT_EQ(editor.getNextIdleTime(), s.nextIdle) << s.now;
    }

    // In a tight loop, twelve 4 ms sleeps reach the 46 ms mark and the running call sleeps too.
    const uint32_t start = headless::getTicks();
    while (headless::getTicks() - start < 1000) editor.idleAndPump();
    ASSERT_GE(effect.idleTicks.size(), 19u);
    for (size_t i = 2; i < effect.idleTicks.size(); ++i)
        EXPECT_EQ(effect.idleTicks[i] - effect.idleTicks[i - 1], 52u) << i;
}

TEST_F(EditorBaseTest, EachRunPumpsOnePaintAndNestedIdlesDoNothing) {
    TestEditor editor(&effect);
    editor.open(&dummyParent);
    NativeWindow* window = editor.getFrame()->getWindow();
    headless::invalidate(window, Rect(0, 0, 10, 10));
    headless::invalidate(window, Rect(0, 0, 20, 20));
    editor.idleAndPump();
    EXPECT_EQ(headless::getPumpCount(), 1);
    EXPECT_EQ(headless::getPendingPaints(), 1);
    EXPECT_FALSE(editor.getFrame()->isFirstDraw());  // the pumped paint drew the frame
    EXPECT_EQ(editor.updates, 1);

    editor.postUpdate();
    headless::advanceTicks(100);
    editor.idleAndPump();  // the host's nested idle comes while the step waits for it
    EXPECT_EQ(effect.idleTicks.size(), 2u);
    EXPECT_EQ(editor.updates, 2);  // from the step itself, not from the nested call
    EXPECT_EQ(headless::getPendingPaints(), 0);
}

}  // namespace
}  // namespace brindlet
