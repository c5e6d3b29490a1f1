// The host-interface base of an effect: the AEffect record, the opcode tables and the host
// requests.
#pragma once

#include <atomic>
#include <cstdint>

#include "include/vst2/aeffect.h"
#include "shell/EditorHost.h"

namespace brindlet {

class EditorBase;
struct KeyCode;

// Every opcode has one overridable operation below; its default is this base's own answer.
// The dispatcher decodes the arguments (and refuses null text or record pointers) before any
// operation runs, so the operations may rely on valid pointers and in-range program numbers.
class EffectBase : public EditorHost {
public:
    EffectBase(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams);
    // Destroys the editor: it is the last thing the effect owns to go.
    ~EffectBase() override;
    EffectBase(const EffectBase&) = delete;
    EffectBase& operator=(const EffectBase&) = delete;

    AEffect* getAEffect() { return &effect; }
    EditorBase* getEditor() const { return editor; }

    // One host request: opcodes 25..76 through the extended table, all others through the basic
    // table; an opcode in neither is answered 0.
    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    // ---- Parameters and audio ----------------------------------------------------------------
    float getParameter(int32_t index) override;
    void setParameter(int32_t index, float value) override;
    virtual void process(float** inputs, float** outputs, int32_t sampleFrames);
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames);

    // ---- Host requests -----------------------------------------------------------------------
    // Each is a no (0) without a host callback.
    void automateParameter(int32_t index, float value) override;
    bool wantMidi(int32_t filter = 1);
    void hostIdle() override;
    bool updateHostDisplay() override;
    bool beginEdit(int32_t index) override;
    bool endEdit(int32_t index) override;
    void registerEditor(EditorBase* editor) override;

protected:
    // ---- Basic opcodes (0..24) ---------------------------------------------------------------
    virtual void open() {}
    virtual void close() {}
    virtual void selectProgram(int32_t program);
    virtual int32_t getProgram();
    virtual void renameProgram(const char*) {}
    virtual void programDisplayName(char*) {}
    virtual void parameterLabel(int32_t, char*) {}
    virtual void parameterDisplay(int32_t, char*) {}
    virtual void parameterName(int32_t, char*) {}
    virtual float getVu() { return 0.0f; }
    virtual void setSampleRate(float rate);
    virtual void setBlockSize(int32_t frames);
    virtual void mainsChanged(bool on);
    virtual void mainsOn() {}
    virtual bool editGetRect(ERect** rect);
    virtual int32_t editOpen(void* parentWindow);
    virtual void editClose();
    virtual int32_t editDraw(void*) { return 0; }
    virtual int32_t editMouse(int32_t, intptr_t) { return 0; }
    virtual int32_t editKey(intptr_t) { return 0; }
    virtual void editIdle();
    virtual int32_t editTop() { return 0; }
    virtual int32_t editSleep() { return 0; }
    virtual int32_t identify() { return fourCharCode('N', 'v', 'E', 'f'); }
    virtual int32_t getChunk(void**, bool) { return 0; }
    virtual int32_t setChunk(void*, int32_t, bool) { return 0; }

    // ---- Extended opcodes (25..76) -----------------------------------------------------------
    virtual int32_t processEvents(VstEvents*) { return 0; }
    virtual bool canBeAutomated(int32_t) { return true; }
    virtual bool string2Parameter(int32_t, char*) { return false; }
    virtual int32_t getNumProgramCategories() { return 1; }
    virtual bool programNameAt(int32_t, int32_t, char*) { return false; }
    virtual bool copyProgram(int32_t) { return false; }
    virtual bool connectInput(int32_t, bool) { return true; }
    virtual bool connectOutput(int32_t, bool) { return true; }
    virtual bool getInputProperties(int32_t, void*) { return false; }
    virtual bool getOutputProperties(int32_t, void*) { return false; }
    virtual int32_t getPlugCategory() { return kPlugCategUnknown; }
    virtual int32_t getCurrentPosition() { return 0; }
    virtual intptr_t getDestinationBuffer() { return 0; }
    virtual bool offlineNotify(void*, int32_t, bool) { return false; }
    virtual bool offlinePrepare(void*, int32_t) { return false; }
    virtual bool offlineRun(void*, int32_t) { return false; }
    virtual bool processVariableIo(void*) { return false; }
    virtual bool setSpeakerArrangement(void*, void*) { return false; }
    virtual bool setBlockSizeAndSampleRate(int32_t frames, float rate);
    virtual bool setBypass(bool) { return false; }
    virtual bool getEffectName(char*) { return false; }
    virtual bool getErrorText(char*) { return false; }
    virtual bool getVendorString(char*) { return false; }
    virtual bool getProductString(char*) { return false; }
    virtual int32_t getVendorVersion() { return 0; }
    virtual intptr_t vendorSpecific(int32_t, intptr_t, void*, float) { return 0; }
    virtual int32_t canDo(const char*) { return 0; }
    virtual int32_t getTailSize() { return 0; }
    virtual int32_t effectIdle() { return 0; }
    virtual intptr_t getIcon() { return 0; }
    virtual bool setViewPosition(int32_t, int32_t) { return false; }
    virtual bool getParameterProperties(int32_t, void*) { return false; }
    // The standard's convention is inverted here: 1 means "no keys needed".
    virtual bool keysRequired() { return true; }
    virtual int32_t getVstVersion() { return 2300; }
    virtual int32_t editKeyDown(const KeyCode& key);
    virtual int32_t editKeyUp(const KeyCode& key);
    virtual int32_t setEditKnobMode(int32_t mode);
    virtual int32_t getMidiProgramName(int32_t, void*) { return 0; }
    virtual int32_t getCurrentMidiProgram(int32_t, void*) { return -1; }
    virtual int32_t getMidiProgramCategory(int32_t, void*) { return 0; }
    virtual bool hasMidiProgramsChanged(int32_t) { return false; }
    virtual bool getMidiKeyName(int32_t, void*) { return false; }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual bool getSpeakerArrangement(void** input, void** output);
    virtual int32_t getNextShellPlugin(char*) { return 0; }
    virtual int32_t startProcess() { return 0; }
    virtual int32_t stopProcess() { return 0; }
    virtual intptr_t setTotalSampleToProcess(intptr_t value) { return value; }
    virtual bool setPanLaw(int32_t, float) { return false; }
    virtual int32_t beginLoadBank(void*) { return 0; }
    virtual int32_t beginLoadProgram(void*) { return 0; }

    // Sends one request through the host callback; 0 when there is none.
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);

    int32_t currentProgramIndex() const { return currentProgram.load(std::memory_order_relaxed); }
    void setCurrentProgramIndex(int32_t program) {
        currentProgram.store(program, std::memory_order_relaxed);
    }

    // Written by the dispatcher while the audio thread or the MIDI thread may read: atomics,
    // each written in one relaxed store.
    std::atomic<float> sampleRate{44100.0f};
    EditorBase* editor = nullptr;
    audioMasterCallback hostCallback;
    int32_t numPrograms;
    int32_t numParams;
    std::atomic<int32_t> currentProgram{0};
    std::atomic<int32_t> blockSize{1024};
    AEffect effect;

private:
    struct Request;
    struct OpcodeTables;
};

static_assert(std::atomic<float>::is_always_lock_free);
static_assert(std::atomic<int32_t>::is_always_lock_free);

}  // namespace brindlet
