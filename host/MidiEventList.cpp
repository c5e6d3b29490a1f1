// MidiEventList: VstEvents is declared with two pointers; the real list is sized to fit.
#include "host/MidiEventList.h"

#include <cstddef>

namespace brindlet {

namespace {

size_t storageWords(size_t events) {
    size_t bytes = offsetof(VstEvents, events) + events * sizeof(VstEvent*);
    bytes = bytes < sizeof(VstEvents) ? sizeof(VstEvents) : bytes;
    return (bytes + sizeof(intptr_t) - 1) / sizeof(intptr_t);
}

}  // namespace

MidiEventList::MidiEventList(size_t events) {
    events_.reserve(events);
    storage_.reserve(storageWords(events));
}

void MidiEventList::add(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = static_cast<int32_t>(sizeof(VstMidiEvent) - 8);
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1 & 0x7f);
    event.midiData[2] = static_cast<char>(data2 & 0x7f);
    events_.push_back(event);
}

void MidiEventList::noteOn(int32_t deltaFrames, uint8_t note, uint8_t velocity, uint8_t channel) {
    add(deltaFrames, static_cast<uint8_t>(0x90 | (channel & 0x0f)), note, velocity);
}

void MidiEventList::noteOff(int32_t deltaFrames, uint8_t note, uint8_t velocity, uint8_t channel) {
    add(deltaFrames, static_cast<uint8_t>(0x80 | (channel & 0x0f)), note, velocity);
}

VstEvents* MidiEventList::get() {
    storage_.assign(storageWords(events_.size()), 0);
    auto* list = reinterpret_cast<VstEvents*>(storage_.data());
    list->numEvents = static_cast<int32_t>(events_.size());
    auto** pointers =
        reinterpret_cast<VstEvent**>(reinterpret_cast<char*>(list) + offsetof(VstEvents, events));
    for (size_t i = 0; i < events_.size(); ++i)
        pointers[i] = reinterpret_cast<VstEvent*>(&events_[i]);
    return list;
}

}  // namespace brindlet
