// The MIDI file reader: tempo maps, running status, SMPTE time and damaged files.
#include <gtest/gtest.h>

#include "host/MidiFile.h"

namespace brindlet {
namespace {

using Bytes = std::vector<uint8_t>;

// A chunk: its four-letter type, its length in four bytes, most significant first, its body.
Bytes chunk(const char* type, const Bytes& body) {
    Bytes bytes(type, type + 4);
    for (int shift : {24, 16, 8, 0}) bytes.push_back(static_cast<uint8_t>(body.size() >> shift));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

Bytes header(uint8_t format, uint8_t tracks, uint16_t division) {
    return chunk("MThd", {0, format, 0, tracks, static_cast<uint8_t>(division >> 8),
                          static_cast<uint8_t>(division & 0xff)});
}

Bytes track(const Bytes& events) {
    return chunk("MTrk", events);
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// 480 ticks a beat; 120 bpm, then 240 bpm from tick 960 (set in the tempo track of a format 1
// file), so tick 1440 is at 1.0 + 0.25 s.
Bytes tempoMapSong() {
    Bytes tempo = {0x00, 0xff, 0x51, 0x03, 0x07, 0xa1, 0x20,        // 500000 us a beat
                   0x87, 0x40, 0xff, 0x51, 0x03, 0x03, 0xd0, 0x90,  // at 960: 250000 us
                   0x00, 0xff, 0x2f, 0x00};
    Bytes notes = {0x83, 0x60, 0x90, 48,   100,   // tick 480: note-on C3
                   0x83, 0x60, 48,   0,           // tick 960: running status, velocity 0: off
                   0x00, 0xf0, 0x02, 0x01, 0xf7,  // a sysex to skip
                   0x83, 0x60, 0x80, 60,   64,    // tick 1440: note-off
                   0x00, 0x91, 60,   90,          // and a note-on on channel 2
                   0x00, 0xc0, 5,                 // a program change: one data byte
                   0x00, 0xff, 0x2f, 0x00};
    return join({header(1, 2, 480), track(tempo), track(notes)});
}

TEST(MidiFile, TempoMapRunningStatusAndNoteOffs) {
    std::vector<MidiFileNote> notes;
    std::string error;
    ASSERT_TRUE(parseMidiFile(tempoMapSong(), notes, error)) << error;
    const MidiFileNote expected[] = {{0.5, 48, 100}, {1.0, 48, 0}, {1.25, 60, 0}, {1.25, 60, 90}};
    ASSERT_EQ(notes.size(), std::size(expected));
    for (size_t i = 0; i < notes.size(); ++i) {
        EXPECT_DOUBLE_EQ(notes[i].seconds, expected[i].seconds) << i;
        EXPECT_EQ(notes[i].note, expected[i].note) << i;
        EXPECT_EQ(notes[i].velocity, expected[i].velocity) << i;
    }
}

TEST(MidiFile, SmpteDivisionCountsFramesNotBeats) {
    // 25 frames a second, 40 ticks a frame: a tick is one millisecond, whatever the tempo says.
    Bytes events = {0x00, 0xff, 0x51, 0x03, 0x03, 0xd0, 0x90, 0x83, 0x74, 0x90, 50, 80};
    std::vector<MidiFileNote> notes;
    std::string error;
    ASSERT_TRUE(parseMidiFile(join({header(0, 1, 0xe728), track(events)}), notes, error)) << error;
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NEAR(notes[0].seconds, 0.5, 1e-12);
}

// Every cut of a good file and a few bad headers are refused or read safely, never overrun.
TEST(MidiFile, DamagedFilesAreRefusedWithAReason) {
    const Bytes song = tempoMapSong();
    std::vector<MidiFileNote> notes;
    std::string error;
    for (size_t size = 0; size < song.size(); ++size) {
        Bytes cut(song.begin(), song.begin() + static_cast<long>(size));
        error.clear();
        bool read = parseMidiFile(cut, notes, error);
        EXPECT_TRUE(read || !error.empty()) << size;
    }
    struct Case {
        Bytes data;
        const char* message;
    };
    const Case cases[] = {
        {{'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xe0}, "no MThd header"},
        {header(2, 1, 480), "format 2"},
        {join({header(0, 1, 0), track({})}), "division of zero"},
        {join({header(0, 1, 480), track({0x00, 48, 100})}), "without a status byte"},
        {join({header(0, 1, 480), track({0x00, 0x90, 0xc8, 100})}), "data byte over 127"},
        {join({header(0, 1, 480), track({0x00, 0x90, 48})}), "middle of an event"},
        {join({header(0, 1, 480), track({0xff, 0xff, 0xff, 0xff, 0x7f})}), "middle of an event"},
        {join({header(0, 1, 480), Bytes{'M', 'T', 'r', 'k', 0, 0, 1, 0, 0}}),
         "longer than the file"},
    };
    for (const auto& c : cases) {
        error.clear();
        EXPECT_FALSE(parseMidiFile(c.data, notes, error)) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace brindlet
