// One plug-in instance created from a module, driven the way a VST 2.x host drives it.
//
// Usage:
//   std::string error;
//   auto module = brindlet::PluginModule::load("build/brindlet.so", error);
//   if (!module) { fprintf(stderr, "%s\n", error.c_str()); return 1; }
//   brindlet::PluginHost host;
//   auto plugin = brindlet::PluginInstance::create(module, host, error);
//   if (!plugin) { ... error names the problem ... }
//   plugin->start(44100.0f, 256);             // effOpen, sample rate, block size, mains on
//   plugin->setProgram(2);
//   std::string name = plugin->parameterName(0);
//   brindlet::MidiEventList events;
//   events.noteOn(0, 48, 100);
//   plugin->processEvents(events.get());
//   plugin->processReplacing(inputs, outputs, 256);
//   host.countOf(audioMasterAutomate);        // what the plug-in asked the host
//   plugin->close();                          // mains off, effClose (the destructor does it too)
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/PluginHost.h"
#include "host/PluginModule.h"
#include "include/vst2/aeffect.h"

namespace brindlet {

class PluginInstance {
public:
    // Texts are read through buffers of this size, then cut and terminated.
    static constexpr size_t kTextSize = 64;

    // Calls the module's entry point with `host`'s callback. On failure (entry answered null,
    // wrong magic, no dispatcher) returns null with one line in `error`.
    static std::unique_ptr<PluginInstance> create(std::shared_ptr<PluginModule> module,
                                                  PluginHost& host, std::string& error);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // Null once closed.
    AEffect* effect() const { return effect_; }
    PluginHost& host() const { return host_; }
    const PluginModule& module() const { return *module_; }

    intptr_t dispatcher(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                        float opt = 0.0f);

    // ---- Life cycle
    void open() { dispatcher(effOpen); }
    void setSampleRate(float rate);
    void setBlockSize(int32_t frames);
    void mainsOn() { dispatcher(effMainsChanged, 0, 1); }
    void mainsOff() { dispatcher(effMainsChanged, 0, 0); }
    // The usual switch-on sequence: open, sample rate, block size, mains on.
    void start(float sampleRate, int32_t blockSize);
    // Mains off if they are on, then effClose; the record is gone afterwards.
    void close();

    // ---- Programs and parameters
    int32_t numPrograms() const { return effect_ ? effect_->numPrograms : 0; }
    int32_t numParams() const { return effect_ ? effect_->numParams : 0; }
    void setProgram(int32_t program) { dispatcher(effSetProgram, 0, program); }
    int32_t program() { return static_cast<int32_t>(dispatcher(effGetProgram)); }
    std::string programName();
    // Empty with `ok` false when the plug-in does not answer the indexed request.
    std::string programNameIndexed(int32_t program, bool* ok = nullptr);
    std::string parameterName(int32_t index);
    std::string parameterDisplay(int32_t index);
    std::string parameterLabel(int32_t index);
    void setParameter(int32_t index, float value);
    float getParameter(int32_t index);

    // ---- Identity
    std::string effectName();
    std::string vendorString();
    std::string productString();
    int32_t vendorVersion() { return static_cast<int32_t>(dispatcher(effGetVendorVersion)); }
    intptr_t canDo(const std::string& text);
    // The editor's rectangle, false without an editor.
    bool editorRect(ERect& rect);

    // ---- Audio and events
    // Uses the accumulating entry on cleared outputs when the plug-in has no replacing one.
    // `outputCount` is how many output pointers the caller passes; the fallback for plug-ins
    // without processReplacing clears no more than those.
    void processReplacing(float** inputs, float** outputs, int32_t frames, int32_t outputCount = 2);
    void process(float** inputs, float** outputs, int32_t frames);
    intptr_t processEvents(VstEvents* events) { return dispatcher(effProcessEvents, 0, 0, events); }

private:
    PluginInstance(std::shared_ptr<PluginModule> module, PluginHost& host, AEffect* effect);
    std::string text(int32_t opcode, int32_t index, intptr_t* answer = nullptr);

    std::shared_ptr<PluginModule> module_;
    PluginHost& host_;
    AEffect* effect_;
    bool mainsAreOn_ = false;
};

}  // namespace brindlet
