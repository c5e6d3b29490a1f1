// PluginInstance: a thin, defensive layer over the record's entries.
#include "host/PluginInstance.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace brindlet {

std::unique_ptr<PluginInstance> PluginInstance::create(std::shared_ptr<PluginModule> module,
                                                       PluginHost& host, std::string& error) {
    if (!module || module->entry() == nullptr) {
        error = "no module loaded";
        return nullptr;
    }
    host.beginLoading();
    AEffect* effect = module->entry()(&PluginHost::callback);
    host.endLoading();
    if (effect == nullptr) {
        error = module->path() + ": the plug-in's entry point returned no instance";
        return nullptr;
    }
    // Nothing of a record with the wrong magic can be trusted, not even its dispatcher, so it
    // is left alone rather than closed.
    if (effect->magic != kEffectMagic) {
        char line[160];
        std::snprintf(line, sizeof line, "not a VST 2.x plug-in (record magic 0x%08x, not 'VstP')",
                      static_cast<uint32_t>(effect->magic));
        error = module->path() + ": " + line;
        return nullptr;
    }
    if (effect->dispatcher == nullptr) {
        error = module->path() + ": not a VST 2.x plug-in (its record has no dispatcher)";
        return nullptr;
    }
    host.attach(effect);
    return std::unique_ptr<PluginInstance>(new PluginInstance(std::move(module), host, effect));
}

PluginInstance::PluginInstance(std::shared_ptr<PluginModule> module, PluginHost& host,
                               AEffect* effect)
    : module_(std::move(module)), host_(host), effect_(effect) {}

PluginInstance::~PluginInstance() {
    close();
}

intptr_t PluginInstance::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                    float opt) {
    if (effect_ == nullptr) return 0;
    if (opcode == effMainsChanged) mainsAreOn_ = value != 0;
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::setSampleRate(float rate) {
    host_.setSampleRate(rate);
    dispatcher(effSetSampleRate, 0, 0, nullptr, rate);
}

void PluginInstance::setBlockSize(int32_t frames) {
    host_.setBlockSize(frames);
    dispatcher(effSetBlockSize, 0, frames);
}

void PluginInstance::start(float sampleRate, int32_t blockSize) {
    open();
    setSampleRate(sampleRate);
    setBlockSize(blockSize);
    mainsOn();
}

void PluginInstance::close() {
    if (effect_ == nullptr) return;
    if (mainsAreOn_) mainsOff();
    AEffect* effect = effect_;
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    effect_ = nullptr;
    host_.detach(effect);
}

std::string PluginInstance::text(int32_t opcode, int32_t index, intptr_t* answer) {
    // Far more room than asked for, so a plug-in that overruns the customary size writes into
    // slack instead of our stack; what it wrote is cut at kTextSize.
    std::array<char, 8 * kTextSize> buffer{};
    intptr_t result = dispatcher(opcode, index, 0, buffer.data());
    if (answer != nullptr) *answer = result;
    buffer[kTextSize - 1] = '\0';
    return std::string(buffer.data(), strnlen(buffer.data(), kTextSize));
}

std::string PluginInstance::programName() {
    return text(effGetProgramName, 0);
}

std::string PluginInstance::programNameIndexed(int32_t program, bool* ok) {
    intptr_t answer = 0;
    std::string name = text(effGetProgramNameIndexed, program, &answer);
    if (ok != nullptr) *ok = answer != 0;
    return answer != 0 ? name : std::string();
}

std::string PluginInstance::parameterName(int32_t index) {
    return text(effGetParamName, index);
}

std::string PluginInstance::parameterDisplay(int32_t index) {
    return text(effGetParamDisplay, index);
}

std::string PluginInstance::parameterLabel(int32_t index) {
    return text(effGetParamLabel, index);
}

std::string PluginInstance::effectName() {
    return text(effGetEffectName, 0);
}
std::string PluginInstance::vendorString() {
    return text(effGetVendorString, 0);
}
std::string PluginInstance::productString() {
    return text(effGetProductString, 0);
}

void PluginInstance::setParameter(int32_t index, float value) {
    if (effect_ != nullptr && effect_->setParameter != nullptr)
        effect_->setParameter(effect_, index, value);
}

float PluginInstance::getParameter(int32_t index) {
    if (effect_ == nullptr || effect_->getParameter == nullptr) return 0.0f;
    return effect_->getParameter(effect_, index);
}

intptr_t PluginInstance::canDo(const std::string& text) {
    std::array<char, kTextSize> buffer{};
    std::strncpy(buffer.data(), text.c_str(), buffer.size() - 1);
    return dispatcher(effCanDo, 0, 0, buffer.data());
}

bool PluginInstance::editorRect(ERect& rect) {
    ERect* answer = nullptr;
    dispatcher(effEditGetRect, 0, 0, &answer);
    if (answer == nullptr) return false;
    rect = *answer;
    return true;
}

void PluginInstance::processReplacing(float** inputs, float** outputs, int32_t frames,
                                      int32_t outputCount) {
    if (effect_ == nullptr || frames <= 0) return;
    if (effect_->processReplacing != nullptr) {
        effect_->processReplacing(effect_, inputs, outputs, frames);
        return;
    }
    for (int32_t channel = 0; channel < std::min(effect_->numOutputs, outputCount); ++channel)
        std::memset(outputs[channel], 0, sizeof(float) * static_cast<size_t>(frames));
    process(inputs, outputs, frames);
}

void PluginInstance::process(float** inputs, float** outputs, int32_t frames) {
    if (effect_ != nullptr && effect_->process != nullptr && frames > 0)
        effect_->process(effect_, inputs, outputs, frames);
}

}  // namespace brindlet
