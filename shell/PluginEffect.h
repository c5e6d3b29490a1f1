// The Brindlet effect: the engine and the programs behind the host interface, and the editor's
// effect.
#pragma once

#include <cstdint>

#include "engine/Engine.h"
#include "engine/EngineHost.h"
#include "shell/EffectBase.h"

namespace brindlet {

class ProgramBank;

// What construction allocates besides the instance itself. Either may answer null, which fails
// the creation; tests swap in failing versions.
struct EffectParts {
    EditorBase* (*createEditor)(EditorHost* effect);
    ProgramBank* (*createBank)();
};

const EffectParts& defaultEffectParts();

class PluginEffect final : public EffectBase, public EngineHost {
public:
    explicit PluginEffect(audioMasterCallback hostCallback,
                          const EffectParts& parts = defaultEffectParts());
    ~PluginEffect() override;

    // True when the editor or the program bank could not be created: the instance is unusable.
    bool creationFailed() const { return failed; }

    // ---- Parameters and audio ----------------------------------------------------------------
    float getParameter(int32_t index) override;
    void setParameter(int32_t index, float value) override;
    void process(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;

    // ---- Engine host -------------------------------------------------------------------------
    bool hasEditor() const override { return editor != nullptr; }
    void notifyEditor(int32_t index, float value) override;
    void automateParameter(int32_t index, float value) override;

protected:
    // ---- Programs ----------------------------------------------------------------------------
    void selectProgram(int32_t program) override;
    void renameProgram(const char* text) override;
    void programDisplayName(char* text) override;
    bool programNameAt(int32_t category, int32_t program, char* text) override;

    // ---- Parameter texts ---------------------------------------------------------------------
    void parameterLabel(int32_t index, char* text) override;
    void parameterDisplay(int32_t index, char* text) override;
    void parameterName(int32_t index, char* text) override;

    // ---- Audio and MIDI ----------------------------------------------------------------------
    void mainsOn() override;
    int32_t processEvents(VstEvents* events) override;

    // ---- Identity ----------------------------------------------------------------------------
    bool getEffectName(char* text) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t canDo(const char* text) override;
    int32_t getPlugCategory() override { return kPlugCategEffect; }

private:
    ProgramBank* programs = nullptr;
    Engine engine;
    bool failed = false;
};

// The entry point's work: asks the host's version, builds an instance and hands out its record.
// Null when the host answers version 0 or the instance cannot be completed.
AEffect* createEffect(audioMasterCallback hostCallback,
                      const EffectParts& parts = defaultEffectParts());

}  // namespace brindlet
