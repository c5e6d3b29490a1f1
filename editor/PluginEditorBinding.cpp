// The editor's binding: user edits to the effect, parameter changes and engine feeds to the
// controls, and the editor-only actions of the buttons and the entry field.
#include <cmath>
#include <cstdio>
#include <thread>

#include "editor/PluginEditor.h"
#include "editor/SweepDisplay.h"
#include "editor/TextEdit.h"
#include "shell/EditorHost.h"
#include "shell/FactoryPresetTable.h"
#include "toolkit/core/Control.h"

namespace brindlet {

namespace {
constexpr int32_t kEntryChars = 7;  // characters of typed text that count
constexpr float kResetValue = 0.5f;
}  // namespace

class PluginEditor::CallScope {
public:
    explicit CallScope(std::atomic<int32_t>& count) : count(count) {
        count.fetch_add(1, std::memory_order_seq_cst);
    }
    ~CallScope() { count.fetch_sub(1, std::memory_order_release); }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

private:
    std::atomic<int32_t>& count;
};

// ---- User edits ------------------------------------------------------------------------------

void PluginEditor::valueChanged(DrawContext* context, Control* control) {
    if (!control) return;
    const int32_t tag = control->getTag();
    float value = control->getValue();
    if (tag == kPitchStart || tag == kPitchEnd) {
        // Steps of 0.01: the product is rounded to single precision before rint, and the step
        // is taken in double so that each grid value is the float nearest to k / 100.
        const float scaled = value * 100.0f;
        value = static_cast<float>(std::rint(scaled) * 0.01);
    }
    if (effect) effect->automateParameter(tag, value);
    // Edits made with keys come without a context; the next idle draws them.
    if (context) control->redrawIfDirty(context);
}

// ---- Parameter changes and feeds -------------------------------------------------------------

void PluginEditor::setParameter(int32_t index, float value) {
    bool tellHost = false;
    {
        CallScope scope(activeCalls);
        // Paired with close: either this call sees the editor closed, or close waits for it.
        if (!isOpen.load(std::memory_order_seq_cst)) return;
        tellHost = applyParameter(index, value);
        postUpdate();
    }
    // Outside the count: the host may close the editor from inside its answer.
    if (tellHost && effect) effect->updateHostDisplay();
}

bool PluginEditor::applyParameter(int32_t index, float value) {
    if (index >= 0 && index < kNumParams) {
        showParameter(index);
        return false;
    }
    Control* rightMeter = getLayoutControl(kRowRightMeter);
    Control* leftMeter = getLayoutControl(kRowLeftMeter);
    switch (index) {
        case kFeedRise:
            if (rightMeter) rightMeter->setValue(value);
            return false;
        case kFeedLevel:
            if (leftMeter) leftMeter->setValue(value);
            return false;
        case kFeedSweep:
            if (display) display->addPoint(value);
            return false;
        case kFeedIdle:
            if (display) display->requestReset();
            if (rightMeter) rightMeter->setValue(0.0f);
            if (leftMeter) leftMeter->setValue(0.0f);
            return false;
        default:
            return runAction(index);
    }
}

void PluginEditor::setControlValue(int32_t tag, float value) {
    if (Control* c = getLayoutControl(layoutRowOfTag(tag))) c->setValue(value);
}

void PluginEditor::showParameter(int32_t index) {
    if (!effect) return;
    const float v = effect->getParameter(index);
    switch (index) {
        case kPitchStart:
            setControlValue(kPitchStart, v);
            if (display) display->setStart(v);
            return;
        case kPitchEnd: {
            setControlValue(kPitchEnd, v);
            queueEndText(v);
            // Slope Off makes the start follow the end, so the start is read again.
            const float start = effect->getParameter(kPitchStart);
            setControlValue(kPitchStart, start);
            if (display) {
                display->setEnd(v);
                display->setStart(start);
            }
            return;
        }
        case kPitchDecay:
            setControlValue(kPitchDecay, v);
            if (display) display->setDecay(v);
            return;
        case kPitchShape:
            setControlValue(kPitchShape, v);
            if (display) display->setShape(v);
            return;
        case kSlopeOff: {
            setControlValue(kSlopeOff, v);
            const float start = effect->getParameter(kPitchStart);
            if (display) display->setStart(start);
            setControlValue(kPitchStart, start);
            return;
        }
        default:
            setControlValue(index, v);
    }
}

// ---- Editor-only actions ---------------------------------------------------------------------

bool PluginEditor::runAction(int32_t index) {
    if (!effect) return false;
    if (index == kTagResetEnvMod) {
        if (getLayoutControl(layoutRowOfTag(kEnvMod))) effect->setParameter(kEnvMod, kResetValue);
    } else if (index == kTagResetFeedback) {
        if (getLayoutControl(layoutRowOfTag(kFeedback))) {
            effect->setParameter(kFeedback, kResetValue);
        }
    } else if (index >= kTagPreset0 && index < kTagPreset0 + kNumPresetButtons) {
        if (!getLayoutControl(layoutRowOfTag(index))) return false;
        const FactoryPreset& row = kFactoryPresetTable[index - kTagPreset0];
        for (int32_t i = 0; i < kNumParams; ++i) effect->setParameter(i, row.values[i]);
        return true;
    } else if (index >= kTagEndRatio0 && index < kTagEndRatio0 + kNumEndRatios) {
        if (getLayoutControl(layoutRowOfTag(kPitchEnd))) {
            effect->setParameter(kPitchEnd, endRatioTable[index - kTagEndRatio0]);
        }
    } else if (index == kTagEndEntry) {
        TextEdit* entry = getTextEdit();
        if (!entry) return false;
        float v = 0.0f;
        if (onUserInterfaceThread()) {
            char text[kTextBufferSize];
            entry->getText(text);
            v = parseEndEntry(text);
            entryValue.store(v, std::memory_order_relaxed);
        } else {
            // The field's text belongs to the window's thread; a replayed entry uses the value
            // the text stood for when that thread last looked.
            v = entryValue.load(std::memory_order_relaxed);
        }
        if (getLayoutControl(layoutRowOfTag(kPitchEnd))) effect->setParameter(kPitchEnd, v);
    }
    return false;
}

bool PluginEditor::onUserInterfaceThread() const {
    return std::this_thread::get_id() == windowThread;
}

// ---- The entry field's text ------------------------------------------------------------------

void PluginEditor::queueEndText(float value) {
    pendingEndValue.store(value, std::memory_order_relaxed);
    endTextPending.store(true, std::memory_order_release);
    // On the window's thread the field learns it at once, so a click before the next idle
    // cannot open it with the text of an older value.
    if (onUserInterfaceThread()) applyEndText();
}

void PluginEditor::applyEndText() {
    if (!endTextPending.exchange(false, std::memory_order_acquire)) return;
    TextEdit* entry = getTextEdit();
    if (!entry) return;
    char text[64];
    std::snprintf(text, sizeof text, "%.4f",
                  static_cast<double>(pendingEndValue.load(std::memory_order_relaxed)));
    entry->setText(text);
    entryValue.store(parseEndEntry(text), std::memory_order_relaxed);
}

float PluginEditor::parseEndEntry(const char* text) {
    if (!text) return 0.0f;
    // Digits before and after the first point, as exact integers: at most 7 digits in all.
    double whole = 0.0;
    double fraction = 0.0;
    double scale = 1.0;
    double wholeScale = 1.0;
    bool point = false;
    bool any = false;
    for (int32_t i = 0; i < kEntryChars && text[i] != '\0'; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            any = true;
            if (point) {
                fraction = fraction * 10.0 + (c - '0');
                scale *= 10.0;
            } else {
                whole = whole * 10.0 + (c - '0');
                wholeScale *= 10.0;
            }
        } else if (c == '.' && !point) {
            point = true;
        }
    }
    if (!any) return 0.0f;
    // Without a point the digits are a fraction: 5 is 0.5 and 25 is 0.25.
    const double value = point ? (whole * scale + fraction) / scale : whole / wholeScale;
    return value > 1.0 ? 1.0f : static_cast<float>(value);
}

}  // namespace brindlet
