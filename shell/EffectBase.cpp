// The host-interface base of an effect: record set-up, the record's entries and the host requests.
#include "shell/EffectBase.h"

#include <cstddef>

#include "shell/EditorBase.h"

namespace brindlet {

namespace {

// The record's five entries do no work of their own: they find the instance and forward.
EffectBase* instanceOf(AEffect* record) {
    return record ? static_cast<EffectBase*>(record->object) : nullptr;
}

intptr_t VST2_CALL dispatchEntry(AEffect* record, int32_t opcode, int32_t index, intptr_t value,
                                 void* ptr, float opt) {
    EffectBase* instance = instanceOf(record);
    if (!instance) return 0;
    if (opcode != effClose) return instance->dispatcher(opcode, index, value, ptr, opt);
    instance->dispatcher(opcode, index, value, ptr, opt);
    delete instance;
    return 1;
}

void VST2_CALL processEntry(AEffect* record, float** inputs, float** outputs,
                            int32_t sampleFrames) {
    if (EffectBase* instance = instanceOf(record)) {
        instance->process(inputs, outputs, sampleFrames);
    }
}

void VST2_CALL processReplacingEntry(AEffect* record, float** inputs, float** outputs,
                                     int32_t sampleFrames) {
    if (EffectBase* instance = instanceOf(record)) {
        instance->processReplacing(inputs, outputs, sampleFrames);
    }
}

void VST2_CALL setParameterEntry(AEffect* record, int32_t index, float value) {
    if (EffectBase* instance = instanceOf(record)) instance->setParameter(index, value);
}

float VST2_CALL getParameterEntry(AEffect* record, int32_t index) {
    EffectBase* instance = instanceOf(record);
    return instance ? instance->getParameter(index) : 0.0f;
}

// The editor hands out its own rectangle type; the host reads it as an ERect.
static_assert(sizeof(EditorRect) == sizeof(ERect));
static_assert(offsetof(EditorRect, top) == offsetof(ERect, top));
static_assert(offsetof(EditorRect, left) == offsetof(ERect, left));
static_assert(offsetof(EditorRect, bottom) == offsetof(ERect, bottom));
static_assert(offsetof(EditorRect, right) == offsetof(ERect, right));

}  // namespace

EffectBase::EffectBase(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams)
    : hostCallback(hostCallback), numPrograms(numPrograms), numParams(numParams), effect{} {
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatchEntry;
    effect.process = processEntry;
    effect.setParameter = setParameterEntry;
    effect.getParameter = getParameterEntry;
    effect.numPrograms = numPrograms;
    effect.numParams = numParams;
    effect.numInputs = 1;
    effect.numOutputs = 2;
    effect.flags = 0;
    effect.ioRatio = 1.0f;
    effect.object = this;
    effect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
    effect.version = 1;
    effect.processReplacing = processReplacingEntry;
}

EffectBase::~EffectBase() {
    delete editor;
}

// ---- Parameters and audio --------------------------------------------------------------------

float EffectBase::getParameter(int32_t) {
    return 0.0f;
}
void EffectBase::setParameter(int32_t, float) {}
void EffectBase::process(float**, float**, int32_t) {}
void EffectBase::processReplacing(float**, float**, int32_t) {}

// ---- Host requests ---------------------------------------------------------------------------

intptr_t EffectBase::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    if (!hostCallback) return 0;
    return hostCallback(&effect, opcode, index, value, ptr, opt);
}

// The effect changes before the host hears of it, so a host reading back inside its callback
// sees the new value.
void EffectBase::automateParameter(int32_t index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

bool EffectBase::wantMidi(int32_t filter) {
    return callHost(audioMasterWantMidi, 0, filter) != 0;
}
void EffectBase::hostIdle() {
    callHost(audioMasterIdle);
}
bool EffectBase::updateHostDisplay() {
    return callHost(audioMasterUpdateDisplay) != 0;
}
bool EffectBase::beginEdit(int32_t index) {
    return callHost(audioMasterBeginEdit, index) != 0;
}
bool EffectBase::endEdit(int32_t index) {
    return callHost(audioMasterEndEdit, index) != 0;
}

void EffectBase::registerEditor(EditorBase* newEditor) {
    editor = newEditor;
    if (editor) effect.flags |= effFlagsHasEditor;
}

// ---- Programs --------------------------------------------------------------------------------

void EffectBase::selectProgram(int32_t program) {
    setCurrentProgramIndex(program);
}
int32_t EffectBase::getProgram() {
    return currentProgramIndex();
}

// ---- Audio settings --------------------------------------------------------------------------

void EffectBase::setSampleRate(float rate) {
    sampleRate.store(rate, std::memory_order_relaxed);
}

void EffectBase::setBlockSize(int32_t frames) {
    blockSize.store(frames, std::memory_order_relaxed);
}

void EffectBase::mainsChanged(bool on) {
    if (on) mainsOn();
}

bool EffectBase::setBlockSizeAndSampleRate(int32_t frames, float rate) {
    setBlockSize(frames);
    setSampleRate(rate);
    return true;
}

bool EffectBase::getSpeakerArrangement(void** input, void** output) {
    if (input) *input = nullptr;
    if (output) *output = nullptr;
    return false;
}

// ---- Editor ----------------------------------------------------------------------------------

bool EffectBase::editGetRect(ERect** rect) {
    EditorRect* editorRect = nullptr;
    if (!editor || !editor->getRect(&editorRect) || !editorRect) return false;
    *rect = reinterpret_cast<ERect*>(editorRect);
    return true;
}

int32_t EffectBase::editOpen(void* parentWindow) {
    return editor ? editor->open(parentWindow) : 0;
}

void EffectBase::editClose() {
    if (editor) editor->close();
}

void EffectBase::editIdle() {
    if (editor) editor->idle();
}

int32_t EffectBase::editKeyDown(const KeyCode& key) {
    return editor ? editor->onKeyDown(key) : 0;
}
int32_t EffectBase::editKeyUp(const KeyCode& key) {
    return editor ? editor->onKeyUp(key) : 0;
}

int32_t EffectBase::setEditKnobMode(int32_t mode) {
    return editor ? editor->setKnobMode(mode) : 0;
}

}  // namespace brindlet
