// The sixteen programs: seeding from the factory rows, write-back and the name rules.
#include "shell/ProgramBank.h"

#include <cstdio>
#include <cstring>

#include "shell/FactoryPresetTable.h"
#include "shell/HostText.h"

namespace brindlet {

namespace {
constexpr const char* kDefaultName = "User";
}

ProgramBank::ProgramBank() {
    for (int32_t k = 0; k < kNumPrograms; ++k) {
        const FactoryPreset& row = kFactoryPresetTable[k < kNumFactoryPresets ? k : 0];
        for (int32_t i = 0; i < kNumParams; ++i) {
            records[k].values[i].store(row.values[i], std::memory_order_relaxed);
        }
        copyHostText(records[k].name, k < kNumFactoryPresets ? row.name : kDefaultName,
                     kProgramNameBytes);
    }
}

float ProgramBank::value(int32_t program, int32_t index) const {
    if (!contains(program) || !isParameter(index)) return 0.0f;
    return records[program].values[index].load(std::memory_order_relaxed);
}

void ProgramBank::store(int32_t program, int32_t index, float value) {
    if (!contains(program) || !isParameter(index)) return;
    records[program].values[index].store(value, std::memory_order_relaxed);
}

void ProgramBank::rename(int32_t program, const char* text) {
    if (!contains(program) || !text) return;
    copyHostText(records[program].name, text, kProgramNameBytes);
}

const char* ProgramBank::name(int32_t program) const {
    return contains(program) ? records[program].name : "";
}

void ProgramBank::displayName(int32_t program, char* text) const {
    if (!text) return;
    const char* stored = name(program);
    if (std::strcmp(stored, kDefaultName) != 0) {
        copyHostText(text, stored, kProgramNameBytes);
        return;
    }
    // "User" plus at most two digits: well inside the 24 bytes.
    std::snprintf(text, kProgramNameBytes, "%s%d", stored, static_cast<int>(program + 1));
}

}  // namespace brindlet
