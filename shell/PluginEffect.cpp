// The Brindlet effect: construction, the program rules, MIDI decoding and the identity answers.
#include "shell/PluginEffect.h"

#include <cmath>
#include <cstring>
#include <new>

#include "shell/EditorBase.h"
#include "shell/EditorFactory.h"
#include "shell/HostText.h"
#include "shell/ProgramBank.h"

namespace brindlet {

namespace {

constexpr const char* kEffectName = "Brindlet";
constexpr const char* kVendorName = "Korvane";
constexpr const char* kProductName = "Brindlet 1.0";
constexpr int32_t kUniqueId = fourCharCode('j', '7', '7', '6');

constexpr const char* kCanDoList[] = {
    "plugAsChannelInsert", "plugAsSend", "mixDryWet", "receiveVstEvents", "receiveVstMidiEvent",
};

// Real hosts send a few hundred events per block at most; a larger count is a corrupt list and
// is refused whole rather than read past its end.
constexpr int32_t kMaxEventsPerList = 16384;

ProgramBank* createProgramBank() {
    return new (std::nothrow) ProgramBank();
}

}  // namespace

const EffectParts& defaultEffectParts() {
    static const EffectParts parts{createPluginEditor, createProgramBank};
    return parts;
}

PluginEffect::PluginEffect(audioMasterCallback hostCallback, const EffectParts& parts)
    : EffectBase(hostCallback, kNumPrograms, kNumParams), engine(this) {
    programs = parts.createBank ? parts.createBank() : nullptr;
    if (programs) {
        // The program's values pass through setParameter once; the host is not told.
        setCurrentProgramIndex(0);
        for (int32_t i = 0; i < kNumParams; ++i) setParameter(i, programs->value(0, i));
    } else {
        failed = true;
    }
    // The engine starts from its own defaults, not from program 0; the record keeps program 0.
    engine.resetToDefaults();

    effect.numInputs = 2;
    effect.numOutputs = 2;
    effect.uniqueID = kUniqueId;
    effect.flags |= effFlagsCanMono | effFlagsCanReplacing;
    wantMidi(1);

    // The editor registers itself in `editor` and sets the has-editor flag. The note ratio
    // table was built by the engine's constructor.
    if (!parts.createEditor || !parts.createEditor(this)) failed = true;
}

// Order: a still-open window first (it would outlive the editor it draws into), then the
// program bank; the engine's take buffers go with the engine member, and EffectBase destroys
// the editor last.
PluginEffect::~PluginEffect() {
    if (editor && editor->getFrame()) editor->close();
    delete programs;
    programs = nullptr;
}

// ---- Parameters and audio --------------------------------------------------------------------

float PluginEffect::getParameter(int32_t index) {
    return engine.getParameter(index);
}

void PluginEffect::setParameter(int32_t index, float value) {
    engine.setParameter(index, value);
    // The engine ignores values that are not numbers; the program must not keep them either.
    if (programs && std::isfinite(value)) programs->store(currentProgramIndex(), index, value);
    if (editor) editor->setParameter(index, value);
}

void PluginEffect::process(float** inputs, float** outputs, int32_t sampleFrames) {
    engine.process(inputs, outputs, sampleFrames);  // the engine refuses missing channels
}

void PluginEffect::processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {
    engine.processReplacing(inputs, outputs, sampleFrames);
}

// ---- Engine host -----------------------------------------------------------------------------

void PluginEffect::notifyEditor(int32_t index, float value) {
    if (editor) editor->setParameter(index, value);
}

void PluginEffect::automateParameter(int32_t index, float value) {
    EffectBase::automateParameter(index, value);
}

// ---- Programs --------------------------------------------------------------------------------

void PluginEffect::selectProgram(int32_t program) {
    if (!programs || !ProgramBank::contains(program)) return;
    setCurrentProgramIndex(program);
    for (int32_t i = 0; i < kNumParams; ++i) setParameter(i, programs->value(program, i));
}

void PluginEffect::renameProgram(const char* text) {
    if (programs) programs->rename(currentProgramIndex(), text);
}

void PluginEffect::programDisplayName(char* text) {
    if (programs) programs->displayName(currentProgramIndex(), text);
}

bool PluginEffect::programNameAt(int32_t, int32_t program, char* text) {
    if (!programs || !ProgramBank::contains(program) || !text) return false;
    copyHostText(text, programs->name(program), kProgramNameBytes);
    return true;
}

// ---- Parameter texts -------------------------------------------------------------------------

void PluginEffect::parameterLabel(int32_t index, char* text) {
    engine.parameterLabel(index, text);
}

void PluginEffect::parameterDisplay(int32_t index, char* text) {
    engine.parameterDisplay(index, text);
}

void PluginEffect::parameterName(int32_t index, char* text) {
    engine.parameterName(index, text);
}

// ---- Audio and MIDI --------------------------------------------------------------------------

void PluginEffect::mainsOn() {
    engine.mainsOn(sampleRate.load(std::memory_order_relaxed));
    wantMidi(1);
}

// Only MIDI events are read; a null entry or an event of another type is skipped. The list's
// declared two entries are a placeholder: hosts allocate numEvents pointers.
int32_t PluginEffect::processEvents(VstEvents* events) {
    if (!events) return 0;
    const int32_t count = events->numEvents;
    if (count < 0 || count > kMaxEventsPerList) return 0;
    VstEvent* const* list = events->events;
    for (int32_t i = 0; i < count; ++i) {
        const VstEvent* event = list[i];
        if (!event || event->type != kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        engine.midiMessage(static_cast<uint8_t>(midi->midiData[0]),
                           static_cast<uint8_t>(midi->midiData[1]),
                           static_cast<uint8_t>(midi->midiData[2]));
    }
    return 1;
}

// ---- Identity --------------------------------------------------------------------------------

bool PluginEffect::getEffectName(char* text) {
    copyHostText(text, kEffectName);
    return true;
}

bool PluginEffect::getVendorString(char* text) {
    copyHostText(text, kVendorName);
    return true;
}

bool PluginEffect::getProductString(char* text) {
    copyHostText(text, kProductName);
    return true;
}

// Exact, case-sensitive; reads no more of the host's text than the longest entry needs.
int32_t PluginEffect::canDo(const char* text) {
    for (const char* entry : kCanDoList) {
        if (std::strncmp(text, entry, std::strlen(entry) + 1) == 0) return 1;
    }
    return 0;
}

// ---- Creation --------------------------------------------------------------------------------

AEffect* createEffect(audioMasterCallback hostCallback, const EffectParts& parts) {
    if (!hostCallback) return nullptr;
    if (hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    auto* instance = new (std::nothrow) PluginEffect(hostCallback, parts);
    if (!instance) return nullptr;
    // The failure travels with this instance only; later creations start afresh.
    if (instance->creationFailed()) {
        delete instance;
        return nullptr;
    }
    return instance->getAEffect();
}

}  // namespace brindlet
