// Placeholder until the engine lands.
#include "engine/Engine.h"

namespace brindlet {
struct Engine::State {};
Engine::Engine(EngineHost*) : state_(nullptr) {}
Engine::~Engine() = default;
void Engine::setParameter(int32_t, float) {}
float Engine::getParameter(int32_t) const { return 0.0f; }
bool Engine::parameterName(int32_t, char*) const { return false; }
bool Engine::parameterDisplay(int32_t, char*) const { return false; }
bool Engine::parameterLabel(int32_t, char*) const { return false; }
void Engine::resetToDefaults() {}
void Engine::midiMessage(uint8_t, uint8_t, uint8_t) {}
void Engine::mainsOn(float) {}
void Engine::process(const float* const*, float* const*, int32_t) {}
void Engine::processReplacing(const float* const*, float* const*, int32_t) {}
}  // namespace brindlet
