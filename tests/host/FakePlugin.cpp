// A tiny VST 2.x test module for the host library; FAKE_VARIANT picks how it misbehaves.
#include <cstring>

#include "include/vst2/aeffect.h"

// 0 well-behaved, 1 entry answers null, 2 wrong magic, 3 exports no entry, 4 exports only `main`,
// 5 claims six outputs, 6 has only the accumulating process() and claims six outputs once switched
// on, 7 answers NaN and infinity among its samples.
#ifndef FAKE_VARIANT
#define FAKE_VARIANT 0
#endif

namespace {

constexpr int kParams = 2;

struct Fake {
    AEffect effect{};
    float params[kParams] = {0.5f, 0.25f};
    int eventsSeen = 0;
    int lastNote = -1;
    int lastDelta = -1;
};

Fake* self(AEffect* effect) {
    return reinterpret_cast<Fake*>(effect);
}

intptr_t countEvents(Fake* fake, const VstEvents* events) {
    if (events == nullptr) return 0;
    for (int32_t i = 0; i < events->numEvents; ++i) {
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(events->events[i]);
        ++fake->eventsSeen;
        if ((midi->midiData[0] & 0xf0) == 0x90) fake->lastNote = midi->midiData[1];
        fake->lastDelta = midi->deltaFrames;
    }
    return 1;
}

intptr_t dispatch(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                  float) {
    Fake* fake = self(effect);
    switch (opcode) {
        case effClose:
            delete fake;
            return 1;
        case effGetParamName:
            // Parameter 1's name is an overlong, unterminated text to prove the host cuts it.
            if (index == 1)
                std::memset(ptr, 'x', 100);
            else
                std::strcpy(static_cast<char*>(ptr), "Gain");
            return 0;
        case effGetVendorVersion:
            return 1234;
        case effProcessEvents:
            return countEvents(fake, static_cast<const VstEvents*>(ptr));
        case effMainsChanged:
            if (FAKE_VARIANT == 6 && value != 0) effect->numOutputs = 6;
            return 0;
        default:
            return 0;
    }
}

void setParameter(AEffect* effect, int32_t index, float value) {
    if (index >= 0 && index < kParams) self(effect)->params[index] = value;
}

// Indices past the parameters read back what the fake saw, for tests.
float getParameter(AEffect* effect, int32_t index) {
    Fake* fake = self(effect);
    if (index >= 0 && index < kParams) return fake->params[index];
    if (index == 100) return static_cast<float>(fake->eventsSeen);
    if (index == 101) return static_cast<float>(fake->lastNote);
    if (index == 102) return static_cast<float>(fake->lastDelta);
    return 0.0f;
}

// Output = input times twice the Gain parameter.
void processReplacing(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    float gain = 2.0f * self(effect)->params[0];
    for (int channel = 0; channel < 2; ++channel)
        for (int32_t i = 0; i < frames; ++i) outputs[channel][i] = inputs[channel][i] * gain;
    if (FAKE_VARIANT == 7) {
        // Every fourth frame of the left channel is not a number; the right one overflows.
        for (int32_t i = 0; i < frames; i += 4) outputs[0][i] = __builtin_nanf("");
        if (frames > 1) outputs[1][1] = __builtin_inff();
    }
}

// Adds into the outputs, as the old accumulating entry does; two channels whatever it claims.
void process(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    float gain = 2.0f * self(effect)->params[0];
    for (int channel = 0; channel < 2; ++channel)
        for (int32_t i = 0; i < frames; ++i) outputs[channel][i] += inputs[channel][i] * gain;
}

AEffect* create(audioMasterCallback host) {
    if (host == nullptr || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    if (FAKE_VARIANT == 1) return nullptr;
    // A host must not touch a record with the wrong magic, not even to close it, so that one
    // lives in static storage.
    static Fake unclosable;
    Fake* fake = FAKE_VARIANT == 2 ? &unclosable : new Fake;
    AEffect& e = fake->effect;
    e.magic = FAKE_VARIANT == 2 ? fourCharCode('N', 'o', 'p', 'e') : kEffectMagic;
    e.dispatcher = dispatch;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.processReplacing = FAKE_VARIANT == 6 ? nullptr : processReplacing;
    e.process = process;
    e.numParams = kParams;
    e.numInputs = 2;
    e.numOutputs = FAKE_VARIANT == 5 ? 6 : 2;
    e.flags = FAKE_VARIANT == 6 ? 0 : effFlagsCanReplacing;
    e.uniqueID = fourCharCode('F', 'a', 'k', 'e');
    e.version = 7;
    host(&e, audioMasterWantMidi, 0, 1, nullptr, 0.0f);
    return &e;
}

}  // namespace

#if FAKE_VARIANT == 4
extern "C" __attribute__((visibility("default"))) AEffect* fakeMain(
    audioMasterCallback host) __asm__("main");
extern "C" AEffect* fakeMain(audioMasterCallback host) {
    return create(host);
}
#elif FAKE_VARIANT == 3
extern "C" __attribute__((visibility("default"))) AEffect* createEffect(audioMasterCallback host) {
    return create(host);
}
#else
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    return create(host);
}
#endif
