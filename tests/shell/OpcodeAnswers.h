// The fixed answer of every opcode that has one, shared by the unit and the module suites.
#pragma once

#include <cstdint>

#include "include/vst2/aeffect.h"

namespace brindlet::test {

struct OpcodeAnswer {
    enum Pointer { None, Text, Slot };  // what the request's ptr points at
    int32_t opcode;
    int32_t index;
    intptr_t value;
    Pointer ptr;
    intptr_t answer;
};

// Rows without a lasting effect on the instance, so they can run in any order on a fresh one.
inline constexpr OpcodeAnswer kOpcodeAnswers[] = {
    {effOpen, 0, 0, OpcodeAnswer::None, 0},
    {effGetProgram, 0, 0, OpcodeAnswer::None, 0},
    {effGetProgramName, 0, 0, OpcodeAnswer::Text, 0},
    {effGetParamLabel, 0, 0, OpcodeAnswer::Text, 0},
    {effGetParamDisplay, 0, 0, OpcodeAnswer::Text, 0},
    {effGetParamName, 0, 0, OpcodeAnswer::Text, 0},
    {effGetVu, 0, 0, OpcodeAnswer::None, 0},
    {effSetBlockSize, 0, 512, OpcodeAnswer::None, 0},
    {effMainsChanged, 0, 0, OpcodeAnswer::None, 0},
    {effEditGetRect, 0, 0, OpcodeAnswer::Slot, 1},
    {effEditDraw, 0, 0, OpcodeAnswer::None, 0},
    {effEditMouse, 0, 0, OpcodeAnswer::None, 0},
    {effEditKey, 0, 0, OpcodeAnswer::None, 0},
    {effEditIdle, 0, 0, OpcodeAnswer::None, 0},
    {effEditTop, 0, 0, OpcodeAnswer::None, 0},
    {effEditSleep, 0, 0, OpcodeAnswer::None, 0},
    {effIdentify, 0, 0, OpcodeAnswer::None, 0x4e764566},
    {effGetChunk, 0, 0, OpcodeAnswer::Slot, 0},
    {effSetChunk, 0, 16, OpcodeAnswer::Text, 0},
    {effCanBeAutomated, 99, 0, OpcodeAnswer::None, 1},
    {effCanBeAutomated, -5, 0, OpcodeAnswer::None, 1},
    {effString2Parameter, 0, 0, OpcodeAnswer::Text, 0},
    {effGetNumProgramCategories, 0, 0, OpcodeAnswer::None, 1},
    {effGetProgramNameIndexed, 0, 0, OpcodeAnswer::Text, 1},
    {effCopyProgram, 1, 0, OpcodeAnswer::None, 0},
    {effConnectInput, 0, 1, OpcodeAnswer::None, 1},
    {effConnectOutput, 1, 0, OpcodeAnswer::None, 1},
    {effGetInputProperties, 0, 0, OpcodeAnswer::Text, 0},
    {effGetOutputProperties, 0, 0, OpcodeAnswer::Text, 0},
    {effGetPlugCategory, 0, 0, OpcodeAnswer::None, 1},
    {effGetCurrentPosition, 0, 0, OpcodeAnswer::None, 0},
    {effGetDestinationBuffer, 0, 0, OpcodeAnswer::None, 0},
    {effOfflineNotify, 0, 0, OpcodeAnswer::Text, 0},
    {effOfflinePrepare, 0, 0, OpcodeAnswer::Text, 0},
    {effOfflineRun, 0, 0, OpcodeAnswer::Text, 0},
    {effProcessVarIo, 0, 0, OpcodeAnswer::Text, 0},
    {effSetSpeakerArrangement, 0, 0, OpcodeAnswer::Text, 0},
    {effSetBlockSizeAndSampleRate, 0, 256, OpcodeAnswer::None, 1},
    {effSetBypass, 0, 1, OpcodeAnswer::None, 0},
    {effGetEffectName, 0, 0, OpcodeAnswer::Text, 1},
    {effGetErrorText, 0, 0, OpcodeAnswer::Text, 0},
    {effGetVendorString, 0, 0, OpcodeAnswer::Text, 1},
    {effGetProductString, 0, 0, OpcodeAnswer::Text, 1},
    {effGetVendorVersion, 0, 0, OpcodeAnswer::None, 0},
    {effVendorSpecific, 1, 2, OpcodeAnswer::Text, 0},
    {effGetTailSize, 0, 0, OpcodeAnswer::None, 0},
    {effIdle, 0, 0, OpcodeAnswer::None, 0},
    {effGetIcon, 0, 0, OpcodeAnswer::None, 0},
    {effSetViewPosition, 10, 10, OpcodeAnswer::None, 0},
    {effGetParameterProperties, 0, 0, OpcodeAnswer::Text, 0},
    {effKeysRequired, 0, 0, OpcodeAnswer::None, 1},
    {effGetVstVersion, 0, 0, OpcodeAnswer::None, 2300},
    {effSetEditKnobMode, 0, 2, OpcodeAnswer::None, 1},
    {effGetMidiProgramName, 0, 0, OpcodeAnswer::Text, 0},
    {effGetCurrentMidiProgram, 0, 0, OpcodeAnswer::Text, -1},
    {effGetMidiProgramCategory, 0, 0, OpcodeAnswer::Text, 0},
    {effHasMidiProgramsChanged, 0, 0, OpcodeAnswer::None, 0},
    {effGetMidiKeyName, 0, 0, OpcodeAnswer::Text, 0},
    {effBeginSetProgram, 0, 0, OpcodeAnswer::None, 0},
    {effEndSetProgram, 0, 0, OpcodeAnswer::None, 0},
    {effShellGetNextPlugin, 0, 0, OpcodeAnswer::Text, 0},
    {effStartProcess, 0, 0, OpcodeAnswer::None, 0},
    {effStopProcess, 0, 0, OpcodeAnswer::None, 0},
    {effSetTotalSampleToProcess, 0, 4096, OpcodeAnswer::None, 4096},
    {effSetPanLaw, 0, 0, OpcodeAnswer::None, 0},
    {effBeginLoadBank, 0, 0, OpcodeAnswer::Text, 0},
    {effBeginLoadProgram, 0, 0, OpcodeAnswer::Text, 0},
};

// Sends every row through `dispatch(opcode, index, value, ptr)` and reports mismatches through
// `mismatch(row, got)`. A Slot row gets the address of a pointer, which must come back null
// except for the editor's rectangle.
template <class Dispatch, class Mismatch>
void checkOpcodeAnswers(Dispatch dispatch, Mismatch mismatch) {
    for (const OpcodeAnswer& row : kOpcodeAnswers) {
        char text[64] = {};
        void* slot = nullptr;
        void* ptr = row.ptr == OpcodeAnswer::Text   ? static_cast<void*>(text)
                    : row.ptr == OpcodeAnswer::Slot ? static_cast<void*>(&slot)
                                                    : nullptr;
        const intptr_t got = dispatch(row.opcode, row.index, row.value, ptr);
        const bool slotOk = row.ptr != OpcodeAnswer::Slot || (slot != nullptr) == (row.answer != 0);
        if (got != row.answer || !slotOk) mismatch(row, got);
    }
}

}  // namespace brindlet::test
