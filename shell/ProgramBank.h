// The sixteen programs: normalised parameter values and a name each, seeded from the factory rows.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/ParameterIndex.h"

namespace brindlet {

constexpr int32_t kNumPrograms = 16;
constexpr int32_t kProgramNameBytes = 24;  // terminator included

// Values are atomics: setParameter writes them from the host's, the editor's and the MIDI
// threads at once. std::atomic<float> has float's size, so the record keeps its layout.
struct ProgramRecord {
    std::atomic<float> values[kNumParams];
    char name[kProgramNameBytes];
};
static_assert(std::atomic<float>::is_always_lock_free);
static_assert(sizeof(ProgramRecord) == kNumParams * sizeof(float) + kProgramNameBytes);

class ProgramBank {
public:
    // Records 0..7 take the factory rows, 8..15 are "User" with the values of row 0.
    ProgramBank();

    static bool contains(int32_t program) { return program >= 0 && program < kNumPrograms; }

    // Both ignore a program or parameter index out of range (and answer 0).
    float value(int32_t program, int32_t index) const;
    void store(int32_t program, int32_t index, float value);

    // Keeps at most 23 characters; reads no further than that into `text`.
    void rename(int32_t program, const char* text);
    // The stored name, unchanged.
    const char* name(int32_t program) const;
    // The stored name, with the program number counted from 1 appended to a default "User".
    void displayName(int32_t program, char* text) const;

private:
    static bool isParameter(int32_t index) { return index >= 0 && index < kNumParams; }

    ProgramRecord records[kNumPrograms];
};

}  // namespace brindlet
