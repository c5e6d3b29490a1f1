// Builds the VstEvents list of MIDI events a host hands to effProcessEvents.
#pragma once

#include <cstdint>
#include <vector>

#include "include/vst2/aeffect.h"

namespace brindlet {

class MidiEventList {
public:
    // Reserving keeps get() free of allocation for up to `events` events.
    explicit MidiEventList(size_t events = 16);

    void clear() { events_.clear(); }
    size_t size() const { return events_.size(); }
    // Adds a three-byte MIDI message at `deltaFrames` into the next block.
    void add(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2);
    void noteOn(int32_t deltaFrames, uint8_t note, uint8_t velocity, uint8_t channel = 0);
    void noteOff(int32_t deltaFrames, uint8_t note, uint8_t velocity = 0, uint8_t channel = 0);

    // The list with pointers to this object's events; valid until the next change.
    VstEvents* get();

private:
    std::vector<VstMidiEvent> events_;
    std::vector<intptr_t> storage_;  // VstEvents header plus pointer array, pointer-aligned
};

}  // namespace brindlet
