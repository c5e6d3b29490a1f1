// The editor's window: open and close, what it reads at open, and missing bitmaps. What each child
// is comes from the layout table; the clicks by tag and the pictures show that it is built right.
#include "editor/SweepDisplay.h"
#include "tests/editor/EditorTestSupport.h"
#include "toolkit/bitmap/Bitmap.h"

namespace brindlet::test {
namespace {

TEST_F(EditorTest, EverySetParameterIsIgnoredWhileClosedAndReadBackAtOpen) {
    for (int32_t index = -5; index < 64; ++index) editor->setParameter(index, 0.3f);
    editor->setParameter(kFeedSweep, 99.5f);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_FALSE(editor->isUpdatePending());

    openAndPaint();
    editor->close();
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(editor->getBitmap(150), nullptr);
    host.loadPreset(3);
    host.params[kPitchEnd] = 0.5f;
    for (int32_t index = -5; index < 64; ++index) editor->setParameter(index, 0.3f);
    EXPECT_TRUE(host.calls.empty());

    openAndPaint();  // the effect's values, not the creation values; the effect hears nothing
    for (int32_t i = 0; i < kNumParams; ++i) EXPECT_EQ(control(i)->getValue(), host.params[i]) << i;
    EXPECT_EQ(entryText(), "0.5000");
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(editor->getLayoutControl(kRowRightMeter)->getValue(), 0.0f);
    EXPECT_EQ(editor->getDisplay()->getCount(0), 0);
}

TEST_F(EditorTest, OpenAndCloseManyTimesRebuildsEverythingAndLeavesNothing) {
    EditorRect* r = nullptr;
    ASSERT_TRUE(editor->getRect(&r));
    for (int32_t i = 0; i < 40; ++i) {
        openAndPaint();
        ASSERT_EQ(headless::getWindowCount(), 1);
        for (int32_t id = 129; id <= 170; ++id) {
            EXPECT_TRUE(id == 137 || (editor->getBitmap(id) && editor->getBitmap(id)->hasImage()))
                << id;
        }
        editor->setParameter(kFeedLevel, 0.5f);
        editor->setParameter(kFeedSweep, 99.2f);
        editor->idle();
        editor->close();
        editor->close();  // harmless
        ASSERT_EQ(headless::getWindowCount(), 0);
    }
    EXPECT_EQ(editor->getBackgroundBitmap()->getRefCount(), 1);
    EXPECT_EQ(Rect(r->left, r->top, r->right, r->bottom), Rect(0, 0, 465, 360));
    // Without a host window the controls are still built.
    ASSERT_EQ(editor->open(nullptr), 1);
    EXPECT_EQ(editor->getFrame()->getViewCount(), 36);
    editor->idle();
    // A second open without a close moves to the new window.
    static int otherParent;
    ASSERT_EQ(editor->open(&otherParent), 1);
    EXPECT_EQ(headless::getWindowCount(), 1);
    EXPECT_EQ(editor->getFrame()->getParentWindow(), &otherParent);
    EXPECT_EQ(editor->getFrame()->getViewCount(), 36);
    // Destroying an open editor closes its window and any entry field first.
    click(centreOf(kTagEndEntry));
    delete editor;
    editor = nullptr;
    EXPECT_EQ(headless::getWindowCount(), 0);
    EXPECT_EQ(headless::getEditFieldCount(), 0);
}

TEST_F(EditorTest, UnreadableBitmapsLeaveControlsWorkingWithoutImages) {
    delete editor;
    const std::vector<uint8_t> garbage = {'B', 'M', 1, 2, 3};
    for (int32_t id : {128, 138, 139, 148, 152, 162, 166}) headless::setBitmapResource(id, garbage);
    editor = new PluginEditor(&host);
    EditorRect* r = nullptr;
    editor->getRect(&r);
    EXPECT_EQ(r->right, 465);  // the panel keeps its size without its background
    openAndPaint();
    editor->setParameter(kFeedLevel, 0.7f);
    editor->idle();
    click(Point(100, 90));   // the toggle without its bitmap
    click(Point(220, 260));  // the switch without its bitmap
    EXPECT_EQ(host.params[kSlopeOff], 1.0f);
    EXPECT_EQ(host.params[kTrigMode], 2.0f / 3.0f);
    editor->idle();
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("editor-missing-bitmaps", "editor")));
}

}  // namespace
}  // namespace brindlet::test
