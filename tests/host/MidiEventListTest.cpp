// The event list's binary shape: what a plug-in reads from effProcessEvents.
#include <gtest/gtest.h>

#include "host/MidiEventList.h"

namespace brindlet {
namespace {

TEST(MidiEventList, BuildsListOfMidiEvents) {
    MidiEventList list(1);
    list.noteOn(17, 60, 127, 3);
    list.noteOff(200, 61, 64);
    list.add(0, 0xb0, 200, 7);  // data bytes keep 7 bits
    VstEvents* events = list.get();
    ASSERT_EQ(events->numEvents, 3);
    VstEvent* const* pointers = events->events;
    const auto* on = reinterpret_cast<const VstMidiEvent*>(pointers[0]);
    EXPECT_EQ(on->type, kVstMidiType);
    EXPECT_EQ(on->byteSize, 24);
    EXPECT_EQ(on->deltaFrames, 17);
    EXPECT_EQ(static_cast<uint8_t>(on->midiData[0]), 0x93);
    EXPECT_EQ(on->midiData[1], 60);
    EXPECT_EQ(on->midiData[2], 127);
    EXPECT_EQ(on->midiData[3], 0);
    const auto* off = reinterpret_cast<const VstMidiEvent*>(pointers[1]);
    EXPECT_EQ(static_cast<uint8_t>(off->midiData[0]), 0x80);
    EXPECT_EQ(off->deltaFrames, 200);
    const auto* control = reinterpret_cast<const VstMidiEvent*>(pointers[2]);
    EXPECT_EQ(control->midiData[1], 200 & 0x7f);

    list.clear();
    EXPECT_EQ(list.get()->numEvents, 0);
}

}  // namespace
}  // namespace brindlet
