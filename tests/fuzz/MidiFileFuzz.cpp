// Fuzz target: brindlet-render's Standard MIDI File reader on any bytes. Whatever it accepts comes
// back as notes in time order at finite, non-negative times.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/MidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    std::vector<brindlet::MidiFileNote> notes;
    std::string error;
    if (!brindlet::parseMidiFile(bytes, notes, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    double last = 0.0;
    for (const brindlet::MidiFileNote& n : notes) {
        if (!std::isfinite(n.seconds) || n.seconds < last || n.note > 127 || n.velocity > 127) {
            std::abort();
        }
        last = n.seconds;
    }
    return 0;
}
