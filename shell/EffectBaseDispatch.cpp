// EffectBase's opcode tables: each row decodes the request's arguments and calls one operation.
#include <cmath>
#include <iterator>

#include "shell/EffectBase.h"
#include "toolkit/core/KeyCode.h"

namespace brindlet {

struct EffectBase::Request {
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

namespace {

char* textOf(void* ptr) {
    return static_cast<char*>(ptr);
}

// Float to integer without undefined behaviour for NaN, infinity or huge values (answered 0).
int32_t toInt32(double x) {
    if (!(x >= -2147483648.0 && x < 2147483648.0)) return 0;
    return static_cast<int32_t>(x);
}

// A rate the engine can size its buffers for; anything else leaves the stored rate alone.
bool isUsableRate(float rate) {
    return std::isfinite(rate) && rate > 0.0f;
}

}  // namespace

struct EffectBase::OpcodeTables {
    using E = EffectBase;
    using R = Request;
    using Handler = intptr_t (*)(E&, const R&);

    // Character in index, virtual key in the low byte of value, modifiers in the low byte of opt.
    static KeyCode keyOf(const R& r) {
        KeyCode key;
        key.character = r.index;
        key.virt = static_cast<uint8_t>(r.value & 0xFF);
        key.modifier = static_cast<uint8_t>(toInt32(r.opt) & 0xFF);
        return key;
    }

    // Row n answers opcode n. A null text or record pointer gets the row's "no" answer.
    static constexpr Handler kBasic[] = {
        [](E& e, const R&) -> intptr_t { return e.open(), 0; },
        [](E& e, const R&) -> intptr_t { return e.close(), 0; },
        [](E& e, const R& r) -> intptr_t {
            if (r.value >= 0 && r.value < e.numPrograms) {
                e.selectProgram(static_cast<int32_t>(r.value));
            }
            return 0;
        },
        [](E& e, const R&) -> intptr_t { return e.getProgram(); },
        [](E& e, const R& r) -> intptr_t {
            if (r.ptr) e.renameProgram(textOf(r.ptr));
            return 0;
        },
        [](E& e, const R& r) -> intptr_t {
            if (r.ptr) e.programDisplayName(textOf(r.ptr));
            return 0;
        },
        [](E& e, const R& r) -> intptr_t {
            if (r.ptr) e.parameterLabel(r.index, textOf(r.ptr));
            return 0;
        },
        [](E& e, const R& r) -> intptr_t {
            if (r.ptr) e.parameterDisplay(r.index, textOf(r.ptr));
            return 0;
        },
        [](E& e, const R& r) -> intptr_t {
            if (r.ptr) e.parameterName(r.index, textOf(r.ptr));
            return 0;
        },
        [](E& e, const R&) -> intptr_t { return toInt32(e.getVu() * 32767.0); },
        [](E& e, const R& r) -> intptr_t {
            if (isUsableRate(r.opt)) e.setSampleRate(r.opt);
            return 0;
        },
        [](E& e, const R& r) -> intptr_t {
            return e.setBlockSize(static_cast<int32_t>(r.value)), 0;
        },
        [](E& e, const R& r) -> intptr_t { return e.mainsChanged(r.value != 0), 0; },
        [](E& e, const R& r) -> intptr_t {
            return r.ptr && e.editGetRect(static_cast<ERect**>(r.ptr)) ? 1 : 0;
        },
        [](E& e, const R& r) -> intptr_t { return r.ptr ? e.editOpen(r.ptr) : 0; },
        [](E& e, const R&) -> intptr_t { return e.editClose(), 0; },
        [](E& e, const R& r) -> intptr_t { return e.editDraw(r.ptr); },
        [](E& e, const R& r) -> intptr_t { return e.editMouse(r.index, r.value); },
        [](E& e, const R& r) -> intptr_t { return e.editKey(r.value); },
        [](E& e, const R&) -> intptr_t { return e.editIdle(), 0; },
        [](E& e, const R&) -> intptr_t { return e.editTop(); },
        [](E& e, const R&) -> intptr_t { return e.editSleep(); },
        [](E& e, const R&) -> intptr_t { return e.identify(); },
        [](E& e, const R& r) -> intptr_t {
            return r.ptr ? e.getChunk(static_cast<void**>(r.ptr), r.index != 0) : 0;
        },
        [](E& e, const R& r) -> intptr_t {
            return e.setChunk(r.ptr, static_cast<int32_t>(r.value), r.index != 0);
        },
    };

    static constexpr Handler kExtended[] = {
        [](E& e, const R& r) -> intptr_t {
            return r.ptr ? e.processEvents(static_cast<VstEvents*>(r.ptr)) : 0;
        },
        [](E& e, const R& r) -> intptr_t { return e.canBeAutomated(r.index); },
        [](E& e, const R& r) -> intptr_t {
            return r.ptr && e.string2Parameter(r.index, textOf(r.ptr));
        },
        [](E& e, const R&) -> intptr_t { return e.getNumProgramCategories(); },
        [](E& e, const R& r) -> intptr_t {
            if (!r.ptr || r.index < 0 || r.index >= e.numPrograms) return 0;
            return e.programNameAt(static_cast<int32_t>(r.value), r.index, textOf(r.ptr));
        },
        [](E& e, const R& r) -> intptr_t { return e.copyProgram(r.index); },
        [](E& e, const R& r) -> intptr_t { return e.connectInput(r.index, r.value != 0); },
        [](E& e, const R& r) -> intptr_t { return e.connectOutput(r.index, r.value != 0); },
        [](E& e, const R& r) -> intptr_t { return r.ptr && e.getInputProperties(r.index, r.ptr); },
        [](E& e, const R& r) -> intptr_t { return r.ptr && e.getOutputProperties(r.index, r.ptr); },
        [](E& e, const R&) -> intptr_t { return e.getPlugCategory(); },
        [](E& e, const R&) -> intptr_t { return e.getCurrentPosition(); },
        [](E& e, const R&) -> intptr_t { return e.getDestinationBuffer(); },
        [](E& e, const R& r) -> intptr_t {
            return e.offlineNotify(r.ptr, static_cast<int32_t>(r.value), r.index != 0);
        },
        [](E& e, const R& r) -> intptr_t {
            return e.offlinePrepare(r.ptr, static_cast<int32_t>(r.value));
        },
        [](E& e, const R& r) -> intptr_t {
            return e.offlineRun(r.ptr, static_cast<int32_t>(r.value));
        },
        [](E& e, const R& r) -> intptr_t { return e.processVariableIo(r.ptr); },
        [](E& e, const R& r) -> intptr_t {
            return e.setSpeakerArrangement(reinterpret_cast<void*>(r.value), r.ptr);
        },
        [](E& e, const R& r) -> intptr_t {
            const float rate = isUsableRate(r.opt) ? r.opt : e.sampleRate.load();
            return e.setBlockSizeAndSampleRate(static_cast<int32_t>(r.value), rate);
        },
        [](E& e, const R& r) -> intptr_t { return e.setBypass(r.value != 0); },
        [](E& e, const R& r) -> intptr_t { return r.ptr && e.getEffectName(textOf(r.ptr)); },
        [](E& e, const R& r) -> intptr_t { return r.ptr && e.getErrorText(textOf(r.ptr)); },
        [](E& e, const R& r) -> intptr_t { return r.ptr && e.getVendorString(textOf(r.ptr)); },
        [](E& e, const R& r) -> intptr_t { return r.ptr && e.getProductString(textOf(r.ptr)); },
        [](E& e, const R&) -> intptr_t { return e.getVendorVersion(); },
        [](E& e, const R& r) -> intptr_t {
            return e.vendorSpecific(r.index, r.value, r.ptr, r.opt);
        },
        [](E& e, const R& r) -> intptr_t { return r.ptr ? e.canDo(textOf(r.ptr)) : 0; },
        [](E& e, const R&) -> intptr_t { return e.getTailSize(); },
        [](E& e, const R&) -> intptr_t { return e.effectIdle(); },
        [](E& e, const R&) -> intptr_t { return e.getIcon(); },
        [](E& e, const R& r) -> intptr_t {
            return e.setViewPosition(r.index, static_cast<int32_t>(r.value));
        },
        [](E& e, const R& r) -> intptr_t {
            return r.ptr && e.getParameterProperties(r.index, r.ptr);
        },
        [](E& e, const R&) -> intptr_t { return e.keysRequired(); },
        [](E& e, const R&) -> intptr_t { return e.getVstVersion(); },
        [](E& e, const R& r) -> intptr_t { return e.editKeyDown(keyOf(r)); },
        [](E& e, const R& r) -> intptr_t { return e.editKeyUp(keyOf(r)); },
        [](E& e, const R& r) -> intptr_t {
            return e.setEditKnobMode(static_cast<int32_t>(r.value));
        },
        [](E& e, const R& r) -> intptr_t { return e.getMidiProgramName(r.index, r.ptr); },
        [](E& e, const R& r) -> intptr_t { return e.getCurrentMidiProgram(r.index, r.ptr); },
        [](E& e, const R& r) -> intptr_t { return e.getMidiProgramCategory(r.index, r.ptr); },
        [](E& e, const R& r) -> intptr_t { return e.hasMidiProgramsChanged(r.index); },
        [](E& e, const R& r) -> intptr_t { return r.ptr && e.getMidiKeyName(r.index, r.ptr); },
        [](E& e, const R&) -> intptr_t { return e.beginSetProgram(); },
        [](E& e, const R&) -> intptr_t { return e.endSetProgram(); },
        [](E& e, const R& r) -> intptr_t {
            return e.getSpeakerArrangement(reinterpret_cast<void**>(r.value),
                                           static_cast<void**>(r.ptr));
        },
        [](E& e, const R& r) -> intptr_t {
            return r.ptr ? e.getNextShellPlugin(textOf(r.ptr)) : 0;
        },
        [](E& e, const R&) -> intptr_t { return e.startProcess(); },
        [](E& e, const R&) -> intptr_t { return e.stopProcess(); },
        [](E& e, const R& r) -> intptr_t { return e.setTotalSampleToProcess(r.value); },
        [](E& e, const R& r) -> intptr_t {
            return e.setPanLaw(static_cast<int32_t>(r.value), r.opt);
        },
        [](E& e, const R& r) -> intptr_t { return e.beginLoadBank(r.ptr); },
        [](E& e, const R& r) -> intptr_t { return e.beginLoadProgram(r.ptr); },
    };

    static_assert(std::size(kBasic) == effProcessEvents);
    static_assert(std::size(kExtended) == effBeginLoadProgram - effProcessEvents + 1);

    static intptr_t decode(E& e, int32_t opcode, const R& r) {
        if (opcode >= effProcessEvents && opcode <= effBeginLoadProgram) {
            return kExtended[opcode - effProcessEvents](e, r);
        }
        if (opcode >= 0 && opcode < effProcessEvents) return kBasic[opcode](e, r);
        return 0;
    }
};

intptr_t EffectBase::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) {
    return OpcodeTables::decode(*this, opcode, Request{index, value, ptr, opt});
}

}  // namespace brindlet
