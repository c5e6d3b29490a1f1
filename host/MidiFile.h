// A Standard MIDI File reader: note-ons and note-offs with their times in seconds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brindlet {

struct MidiFileNote {
    double seconds = 0.0;
    uint8_t note = 60;
    uint8_t velocity = 100;  // 0 for a note-off
};

// Reads formats 0 and 1 (every track merged), with the tempo map from every track honoured and
// SMPTE divisions too. Notes come back in time order. False with one line in `error` for a file
// that is not a MIDI file or is damaged; never reads past the data.
bool parseMidiFile(const std::vector<uint8_t>& data, std::vector<MidiFileNote>& notes,
                   std::string& error);

bool readMidiFile(const std::string& path, std::vector<MidiFileNote>& notes, std::string& error);

}  // namespace brindlet
