// The editor's window: construction, the layout it builds, open and close, failures on the way.
#include <typeinfo>

#include "editor/OnOffButton.h"
#include "editor/SweepDisplay.h"
#include "editor/VerticalSwitch.h"
#include "tests/editor/EditorTestSupport.h"
#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/controls/LevelMeter.h"
#include "toolkit/controls/MomentaryButton.h"
#include "toolkit/controls/Slider.h"

namespace brindlet::test {
namespace {

const std::type_info& expectedType(ControlKind kind) {
    switch (kind) {
        case ControlKind::VerticalSlider:
            return typeid(VerticalSlider);
        case ControlKind::HorizontalSlider:
            return typeid(HorizontalSlider);
        case ControlKind::VerticalSwitch:
            return typeid(VerticalSwitch);
        case ControlKind::LevelMeter:
            return typeid(LevelMeter);
        case ControlKind::SweepDisplay:
            return typeid(SweepDisplay);
        case ControlKind::MomentaryButton:
            return typeid(MomentaryButton);
        case ControlKind::OnOffButton:
            return typeid(OnOffButton);
        case ControlKind::TextEdit:
            return typeid(TextEdit);
    }
    return typeid(void);
}

TEST_F(EditorTest, RectangleIsThePanelsSizeWhetherOpenOrNot) {
    EditorRect* r = nullptr;
    ASSERT_TRUE(editor->getRect(&r));
    EXPECT_EQ(r->right, 465);
    EXPECT_EQ(r->bottom, 360);
    EXPECT_TRUE(editor->getBackgroundBitmap()->hasImage());
    openAndPaint();
    EXPECT_EQ(r->right, 465);
    EXPECT_EQ(r->bottom, 360);
    EXPECT_EQ(editor->getFrame()->bounds(), Rect(0, 0, 465, 360));
}

TEST_F(EditorTest, FrameHolds36ChildrenInLayoutOrderWithTheirBitmaps) {
    openAndPaint();
    Frame* frame = editor->getFrame();
    ASSERT_EQ(frame->getViewCount(), 36);
    for (int32_t row = 0; row < kNumLayoutRows; ++row) {
        SCOPED_TRACE(row);
        const LayoutRow& layout = kEditorLayout[row];
        auto* c = static_cast<Control*>(frame->getView(row));
        EXPECT_EQ(c, editor->getLayoutControl(row));
        EXPECT_EQ(typeid(*c), expectedType(layout.kind));
        EXPECT_EQ(c->bounds(), layout.bounds);
        if (layout.tag >= 0) {
            EXPECT_EQ(c->getTag(), layout.tag);
        }
        EXPECT_EQ(c->getListener(), layout.kind == ControlKind::LevelMeter ? nullptr : editor);
        EXPECT_EQ(c->getMin(), 0.0f);
        EXPECT_EQ(c->getMax(), 1.0f);
        EXPECT_EQ(c->getDefaultValue(), layout.kind == ControlKind::VerticalSwitch ? 0.0f : 0.5f);
        if (layout.bitmap != 0 && layout.kind != ControlKind::LevelMeter) {
            EXPECT_EQ(c->getBackground(), editor->getBitmap(layout.bitmap));
        }
    }
    // Every bitmap is loaded with its image, and the one image of a control fits its bounds.
    for (int32_t id = 129; id <= 170; ++id) {
        if (id == 137) continue;
        ASSERT_NE(editor->getBitmap(id), nullptr) << id;
        EXPECT_TRUE(editor->getBitmap(id)->hasImage()) << id;
    }
    auto* presetButton = static_cast<MomentaryButton*>(control(kTagPreset0 + 3));
    EXPECT_EQ(presetButton->getImageHeight(), 35);
    EXPECT_EQ(presetButton->getBackground()->getResourceId(), 132);
    auto* decay = static_cast<Slider*>(control(kPitchDecay));
    EXPECT_EQ(decay->getTravel(), 100);
    EXPECT_EQ(decay->getHandle()->getResourceId(), 166);
    EXPECT_EQ(static_cast<Slider*>(control(kMix))->getHandle()->getResourceId(), 170);
    auto* rightMeter = static_cast<LevelMeter*>(editor->getLayoutControl(kRowRightMeter));
    EXPECT_EQ(rightMeter->getSegments(), 14);
    EXPECT_FLOAT_EQ(rightMeter->getDecreaseStep(), 0.1f);
    // The ratio buttons share their edge rows; the later one, on top, gets the click.
    click(Point(340, 57));
    ASSERT_FALSE(host.callsOf(HostCall::Automate).empty());
    EXPECT_EQ(host.callsOf(HostCall::Automate)[0].index, kTagEndRatio0 + 1);
}

TEST_F(EditorTest, OpenShowsTheEffectsValuesNotTheCreationValues) {
    host.params[kPitchStart] = 0.2f;
    host.params[kPitchDecay] = 0.7f;
    host.params[kTrigMode] = 2.0f / 3.0f;
    host.params[kSlopeOff] = 1.0f;
    host.params[kPitchEnd] = 0.5f;
    openAndPaint();
    for (int32_t i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(control(i)->getValue(), host.params[i]) << i;
    }
    EXPECT_EQ(entryText(), "0.5000");
    EXPECT_TRUE(host.calls.empty());  // reading back tells the effect nothing
}

TEST_F(EditorTest, EverySetParameterIsIgnoredWhileClosedAndReadBackAtOpen) {
    editor->setParameter(kFeedRise, 0.9f);
    editor->setParameter(kFeedSweep, 99.5f);
    editor->setParameter(kTagPreset0 + 2, 1.0f);
    editor->setParameter(kTagEndEntry, 1.0f);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_FALSE(editor->isUpdatePending());

    openAndPaint();
    editor->close();
    editor->close();  // harmless
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(editor->getDisplay(), nullptr);
    EXPECT_EQ(editor->getBitmap(150), nullptr);
    EXPECT_EQ(headless::getWindowCount(), 0);
    host.params[kMix] = 0.125f;
    for (int32_t index = -5; index < 64; ++index) editor->setParameter(index, 0.3f);
    EXPECT_TRUE(host.calls.empty());

    openAndPaint();
    EXPECT_EQ(control(kMix)->getValue(), 0.125f);
    EXPECT_EQ(editor->getLayoutControl(kRowRightMeter)->getValue(), 0.0f);
    EXPECT_EQ(editor->getDisplay()->getCount(0), 0);
}

TEST_F(EditorTest, OpenAndCloseManyTimesRebuildsEverythingAndLeavesNothing) {
    for (int32_t i = 0; i < 40; ++i) {
        openAndPaint();
        ASSERT_EQ(headless::getWindowCount(), 1);
        editor->setParameter(kFeedLevel, 0.5f);
        editor->setParameter(kFeedSweep, 99.2f);
        editor->idle();
        editor->close();
        ASSERT_EQ(headless::getWindowCount(), 0);
    }
    EXPECT_EQ(editor->getBackgroundBitmap()->getRefCount(), 1);
}

TEST_F(EditorTest, SecondOpenWithoutCloseMovesToTheNewWindow) {
    openAndPaint();
    static int otherParent;
    ASSERT_EQ(editor->open(&otherParent), 1);
    EXPECT_EQ(headless::getWindowCount(), 1);
    EXPECT_EQ(editor->getFrame()->getParentWindow(), &otherParent);
    EXPECT_EQ(editor->getFrame()->getViewCount(), 36);
}

TEST_F(EditorTest, DestroyingAnOpenEditorClosesItsWindowFirst) {
    openAndPaint();
    delete editor;
    editor = nullptr;
    EXPECT_EQ(headless::getWindowCount(), 0);
    EXPECT_EQ(headless::getEditFieldCount(), 0);
}

TEST_F(EditorTest, OpenWithoutAHostWindowStillBuildsTheControls) {
    ASSERT_EQ(editor->open(nullptr), 1);
    EXPECT_EQ(editor->getFrame()->getWindow(), nullptr);
    EXPECT_EQ(editor->getFrame()->getViewCount(), 36);
    editor->idle();
    editor->close();
}

// A bitmap that cannot be decoded leaves its control drawn without it.
TEST(EditorBitmapTest, UnreadableBitmapsLeaveControlsWithoutImages) {
    headless::reset();
    const std::vector<uint8_t> garbage = {'B', 'M', 1, 2, 3};
    for (int32_t id : {128, 138, 139, 148, 152, 162, 166}) headless::setBitmapResource(id, garbage);
    FakeEditorHost host;
    host.loadPreset(0);
    auto* editor = new PluginEditor(&host);
    EditorRect* r = nullptr;
    editor->getRect(&r);
    EXPECT_EQ(r->right, 465);  // the panel keeps its size without its background
    EXPECT_EQ(r->bottom, 360);
    ASSERT_EQ(editor->open(fakeParentWindow()), 1);
    NativeWindow* window = editor->getFrame()->getWindow();
    headless::paint(window, Rect(0, 0, 465, 360));
    EXPECT_FALSE(editor->getBitmap(166)->hasImage());
    editor->setParameter(kFeedLevel, 0.7f);
    editor->setParameter(kPitchStart, 0.0f);
    editor->idle();
    headless::press(window, Point(100, 90));   // the toggle without its bitmap
    headless::press(window, Point(220, 260));  // the switch without its bitmap
    EXPECT_EQ(host.params[kSlopeOff], 1.0f);
    EXPECT_EQ(host.params[kTrigMode], 2.0f / 3.0f);
    editor->idle();
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("editor-missing-bitmaps")));
    delete editor;
    EXPECT_EQ(headless::getWindowCount(), 0);
    headless::reset();
}

}  // namespace
}  // namespace brindlet::test
