// The editor's lifetime: bitmaps, building the frame and controls from the layout, and tearing
// them down.
#include "editor/PluginEditor.h"

#include <new>
#include <thread>

#include "editor/OnOffButton.h"
#include "editor/SweepDisplay.h"
#include "editor/TextEdit.h"
#include "editor/VerticalSwitch.h"
#include "shell/EditorFactory.h"
#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/controls/LevelMeter.h"
#include "toolkit/controls/MomentaryButton.h"
#include "toolkit/controls/Slider.h"
#include "toolkit/core/Frame.h"

namespace brindlet {

namespace {
// The panel's size when the background bitmap cannot be loaded: the window keeps its place.
constexpr int32_t kPanelWidth = 465;
constexpr int32_t kPanelHeight = 360;
constexpr int32_t kMeterSegments = 14;
constexpr int32_t kMeterVertical = 2;
constexpr float kMeterDecreaseStep = 0.1f;
constexpr Color kEntryTextColor{255, 0, 0, 0};

Rect panelBounds(const Bitmap* background) {
    if (background && background->hasImage()) {
        return Rect(0, 0, background->getWidth(), background->getHeight());
    }
    return Rect(0, 0, kPanelWidth, kPanelHeight);
}
}  // namespace

PluginEditor::PluginEditor(EditorHost* effect)
    : EditorBase(effect), background(new (std::nothrow) Bitmap(kBackgroundId)) {
    const Rect panel = panelBounds(background);
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<int16_t>(panel.bottom);
    rect.right = static_cast<int16_t>(panel.right);
}

PluginEditor::~PluginEditor() {
    if (frame) close();
    if (background) background->release();
    background = nullptr;
}

EditorBase* createPluginEditor(EditorHost* effect) {
    return new (std::nothrow) PluginEditor(effect);
}

// ---- Open and close --------------------------------------------------------------------------

int32_t PluginEditor::open(void* parentWindow) {
    // A second open without a close moves the editor to the new window.
    if (frame) close();
    // A host that opened us again from inside that close (the old frame reports a typed entry
    // as it goes) has the editor where it asked last.
    if (frame) return 1;
    EditorBase::open(parentWindow);
    windowThread = std::this_thread::get_id();
    loadBitmaps();
    frame = new (std::nothrow) Frame(panelBounds(background), parentWindow, this);
    if (!frame || (parentWindow && !frame->getWindow())) {
        tearDown();
        return 0;
    }
    frame->setBackground(background);
    if (!buildControls()) {
        tearDown();
        return 0;
    }
    isOpen.store(true, std::memory_order_seq_cst);
    // Parameter indices read the effect's values, whatever value is passed.
    for (int32_t i = 0; i < kNumParams; ++i) setParameter(i, 0.0f);
    applyEndText();
    return 1;
}

void PluginEditor::close() {
    isOpen.store(false, std::memory_order_seq_cst);
    // A feed that got in before the flag fell finishes first; feeds only store values, so the
    // wait is short, and the audio thread itself never waits. No counted call ever sends a host
    // request, so a host closing us from inside one of ours is never waited for.
    while (activeCalls.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
    tearDown();
}

void PluginEditor::tearDown() {
    // Cleared first: a host closing again from a report the teardown sends finds nothing to do.
    Frame* closing = frame;
    frame = nullptr;
    // Destroyed now, or when a call of ours that the host closed us from unwinds. An entry with
    // typed text reports it as the frame goes, through the controls, so they are still there.
    if (closing) closing->closeWhenReleased();
    // A host that opened us again from inside that report keeps the editor it got.
    if (frame) return;
    display = nullptr;
    for (Control*& c : controls) c = nullptr;
    releaseBitmaps();
    endTextPending.store(false, std::memory_order_relaxed);
}

void PluginEditor::idle() {
    if (!inIdleStep && frame) applyEndText();
    EditorBase::idle();
}

// ---- Bitmaps ---------------------------------------------------------------------------------

bool PluginEditor::loadBitmaps() {
    for (int32_t id = kFirstBitmapId; id <= kLastBitmapId; ++id) {
        Bitmap*& slot = bitmaps[id - kFirstBitmapId];
        // 137 is no bitmap of the panel. A bitmap that cannot be made leaves its control
        // without an image.
        if (id != 137 && !slot) slot = new (std::nothrow) Bitmap(id);
    }
    return true;
}

void PluginEditor::releaseBitmaps() {
    for (Bitmap*& b : bitmaps) {
        if (b) b->release();
        b = nullptr;
    }
}

Bitmap* PluginEditor::getBitmap(int32_t id) const {
    if (id < kFirstBitmapId || id > kLastBitmapId) return nullptr;
    return bitmaps[id - kFirstBitmapId];
}

// ---- Controls --------------------------------------------------------------------------------

Control* PluginEditor::getLayoutControl(int32_t row) const {
    if (row < 0 || row >= kNumLayoutRows) return nullptr;
    if (row == kRowDisplay) return display;
    return controls[row < kRowDisplay ? row : row - 1];
}

TextEdit* PluginEditor::getTextEdit() const {
    return static_cast<TextEdit*>(getLayoutControl(kRowTextEdit));
}

bool PluginEditor::buildControls() {
    for (int32_t row = 0; row < kNumLayoutRows; ++row) {
        Control* control = createControl(kEditorLayout[row]);
        if (!control) return false;
        if (!frame->addView(control)) {
            control->release();
            return false;
        }
        if (row == kRowDisplay) {
            display = static_cast<SweepDisplay*>(control);
        } else {
            controls[row < kRowDisplay ? row : row - 1] = control;
        }
    }
    return true;
}

Control* PluginEditor::createControl(const LayoutRow& row) {
    Bitmap* image = getBitmap(row.bitmap);
    Bitmap* extraImage = getBitmap(row.extra);
    switch (row.kind) {
        case ControlKind::VerticalSlider:
        case ControlKind::HorizontalSlider: {
            const bool vertical = row.kind == ControlKind::VerticalSlider;
            Slider* s = vertical ? static_cast<Slider*>(new (std::nothrow) VerticalSlider(
                                       row.bounds, this, row.tag, row.minPos, row.maxPos,
                                       extraImage, image, Point(0, 0), sliderMinBottom))
                                 : new (std::nothrow) HorizontalSlider(
                                       row.bounds, this, row.tag, row.minPos, row.maxPos,
                                       extraImage, image, Point(0, 0), sliderMinLeft);
            if (!s) return nullptr;
            s->setHandleOffset(Point(0, 0));
            s->setValue(vertical ? 1.0f : 0.0f);  // overwritten when open reads the effect
            return s;
        }
        case ControlKind::VerticalSwitch:
            return new (std::nothrow)
                VerticalSwitch(row.bounds, this, row.tag, row.extra, 4, image);
        case ControlKind::LevelMeter: {
            LevelMeter* m = new (std::nothrow)
                LevelMeter(row.bounds, image, extraImage, kMeterSegments, kMeterVertical);
            if (m) m->setDecreaseStep(kMeterDecreaseStep);
            return m;
        }
        case ControlKind::SweepDisplay:
            return new (std::nothrow) SweepDisplay(row.bounds, this, row.tag);
        case ControlKind::MomentaryButton:
            return new (std::nothrow)
                MomentaryButton(row.bounds, this, row.tag, row.extra, image, Point(0, 0));
        case ControlKind::OnOffButton:
            return new (std::nothrow) OnOffButton(row.bounds, this, row.tag, image);
        case ControlKind::TextEdit: {
            TextEdit* t = new (std::nothrow)
                TextEdit(row.bounds, this, row.tag, nullptr, nullptr, kStyle3DIn);
            if (!t) return nullptr;
            t->setFont(fontNormal);
            t->setFontColor(kEntryTextColor);
            t->setBackColor(kBlackColor);
            t->setFrameColor(kBlackColor);
            t->setAlign(alignCenter);
            // Values from other threads wait for idle; the field must not open before them.
            t->setRefreshText([](void* self) { static_cast<PluginEditor*>(self)->applyEndText(); },
                              this);
            return t;
        }
    }
    return nullptr;
}

}  // namespace brindlet
