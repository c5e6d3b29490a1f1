// Parameter mappings from normalised values to engine values and back, and the parameter texts.
#include "engine/EngineParameters.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/EngineMath.h"

namespace brindlet {

namespace {

constexpr const char* kNames[kNumParams] = {
    "Pitch/ Start ",      "Pitch/ End ",   "Pitch/ Decay ", "Pitch/ Shape ", "Env/ Mod ",
    "Env/ Attack ",       "Gate/ Level  ", "Feedback  ",    "Trig/ Mode",    "Trig/ Level  ",
    "Trig/ Selectivity ", "X-Fade  ",      "Mix ",          "Slope Off  "};

constexpr const char* kModeWords[4] = {"Normal", "No Slope", "Dry", "Mute"};

constexpr float kNoResync = std::numeric_limits<float>::quiet_NaN();
constexpr float kInverseDecaySlope = 0.18181819f;  // 1 / 5.5
constexpr float kFeedbackDeadZone = 0.01f;
constexpr int32_t kMaxXFade = 400;

bool write(char* text, const char* format, double a, double b = 0.0) {
    std::snprintf(text, kMaxTextBytes, format, a, b);
    return true;
}

}  // namespace

EngineParameters::EngineParameters() {
    resetToDefaults();
}

void EngineParameters::resetToDefaults() {
    pitchStart_.store(0.5f);
    pitchEnd_.store(0.5f);
    pitchDecay_.store(0.1f);
    pitchShape_.store(1.0f);
    envModDepth_.store(0.0f);
    envAttack_.store(0.2f);
    envAttackCoeff_.store(0.000802f);
    gateLevel_.store(0.0f);
    feedbackAmount_.store(0.0f);
    trigModeRaw_.store(0.0f);
    trigMode_.store(TriggerMode::Normal);
    trigLevel_.store(0.0f);
    trigSelectivity_.store(0.3f);
    xfadeSamples_.store(50);
    mix_.store(1.0f);
    slopeOff_.store(false);
    endChanged_.store(false, std::memory_order_relaxed);
    feedbackTarget_.store(0.0f);
    normalResync_.store(kNoResync);
}

// ---------------------------------------------------------------- Setting values

void EngineParameters::set(int32_t index, float v, EngineHost* host) {
    // The mappings take any finite value unclamped; NaN or infinity has no meaningful image.
    if (!std::isfinite(v)) return;
    switch (index) {
        case kPitchStart:
            pitchStart_.store(v);
            if (slopeOff_.exchange(false) && host != nullptr && host->hasEditor()) {
                host->notifyEditor(kSlopeOff, 0.0f);
            }
            break;
        case kPitchEnd:
            pitchEnd_.store(v);
            if (slopeOff_.load()) pitchStart_.store(v);
            endChanged_.store(true, std::memory_order_release);
            break;
        case kPitchDecay:
            setPitchDecay(v);
            break;
        case kPitchShape:
            pitchShape_.store(v);
            break;
        case kEnvMod:
            envModDepth_.store(2.0f * v - 1.0f);
            break;
        case kEnvAttack:
            envAttack_.store(v);
            envAttackCoeff_.store((1.0f - v) * 0.00099f + 0.00001f);
            break;
        case kGateLevel:
            gateLevel_.store(v);
            break;
        case kFeedback:
            setFeedback(v);
            break;
        case kTrigMode:
            setTrigMode(v);
            break;
        case kTrigLevel:
            trigLevel_.store(v);
            break;
        case kTrigSelectivity:
            trigSelectivity_.store(v);
            break;
        case kXFade:
            setXFade(v);
            break;
        case kMix:
            mix_.store(v);
            break;
        case kSlopeOff:
            slopeOff_.store(v > 0.5f);
            if (v > 0.5f) pitchStart_.store(pitchEnd_.load());
            break;
        default:
            break;
    }
}

void EngineParameters::setPitchDecay(float v) {
    float decay = v <= 0.9f ? 0.5f * v : 5.5f * v - 4.5f;
    if (decay == 0.0f) decay = 0.005f;  // a sweep needs at least some frames
    pitchDecay_.store(decay);
}

void EngineParameters::setFeedback(float v) {
    feedbackRaw_.store(v);
    float amount = 1.8f * v - 0.9f;
    if (amount > -kFeedbackDeadZone && amount < kFeedbackDeadZone) amount = 0.0f;
    feedbackAmount_.store(amount);
    if (trigMode_.load() != TriggerMode::Dry) feedbackTarget_.store(amount);
}

void EngineParameters::setTrigMode(float v) {
    trigModeRaw_.store(v);
    // Out-of-range values select the nearest mode rather than a mode that does not exist.
    float nearest = nearestEven(3.0f * v);
    if (nearest < 0.0f) nearest = 0.0f;
    if (nearest > 3.0f) nearest = 3.0f;
    const auto mode = static_cast<TriggerMode>(static_cast<int8_t>(nearest));
    trigMode_.store(mode);
    if (mode != TriggerMode::Dry) feedbackTarget_.store(feedbackAmount_.load());
    // The sweep is audio-thread state: the audio thread applies this before its next frame, and
    // only if an onset is pending then (no other thread can change that in between).
    if (mode == TriggerMode::Normal) normalResync_.store(pitchEnd_.load());
}

void EngineParameters::setXFade(float v) {
    // Out-of-range values are held to 1..400 frames: a longer crossfade than the take buffer
    // could never end, and a negative one never would either.
    float nearest = nearestEven(400.0f * v);
    if (nearest < 1.0f) nearest = 1.0f;
    if (nearest > static_cast<float>(kMaxXFade)) nearest = static_cast<float>(kMaxXFade);
    xfadeSamples_.store(static_cast<int32_t>(nearest));
}

float EngineParameters::takeNormalResync() {
    // Mostly nothing waits: a plain load then, not a locked exchange on every block.
    if (std::isnan(normalResync_.load())) return kNoResync;
    return normalResync_.exchange(kNoResync);
}

// ---------------------------------------------------------------- Reading values

float EngineParameters::get(int32_t index) const {
    switch (index) {
        case kPitchStart:
            return pitchStart_.load();
        case kPitchEnd:
            return pitchEnd_.load();
        case kPitchDecay: {
            const float decay = pitchDecay_.load();
            return decay > 0.45f ? (decay + 4.5f) * kInverseDecaySlope : 2.0f * decay;
        }
        case kPitchShape:
            return pitchShape_.load();
        case kEnvMod:
            return (envModDepth_.load() + 1.0f) * 0.5f;
        case kEnvAttack:
            return envAttack_.load();
        case kGateLevel:
            return gateLevel_.load();
        case kFeedback:
            return feedbackRaw_.load();
        case kTrigMode:
            return trigModeRaw_.load();
        case kTrigLevel:
            return trigLevel_.load();
        case kTrigSelectivity:
            return trigSelectivity_.load();
        case kXFade:
            return static_cast<float>(xfadeSamples_.load()) * 0.0025f;
        case kMix:
            return mix_.load();
        case kSlopeOff:
            return slopeOff_.load() ? 1.0f : 0.0f;
        default:
            return 0.0f;
    }
}

ParameterSnapshot EngineParameters::snapshot() const {
    return ParameterSnapshot{pitchStart_.load(), pitchEnd_.load(),        pitchDecay_.load(),
                             pitchShape_.load(), envModDepth_.load(),     envAttackCoeff_.load(),
                             gateLevel_.load(),  feedbackAmount_.load(),  trigMode_.load(),
                             trigLevel_.load(),  trigSelectivity_.load(), xfadeSamples_.load(),
                             mix_.load()};
}

// ---------------------------------------------------------------- Texts

bool EngineParameters::name(int32_t index, char* text) const {
    if (text == nullptr || index < 0 || index >= kNumParams) return false;
    std::snprintf(text, kMaxTextBytes, "%s", kNames[index]);
    return true;
}

bool EngineParameters::display(int32_t index, char* text) const {
    if (text == nullptr) return false;
    switch (index) {
        case kPitchStart:
            return write(text, "  %.2f  ", pitchStart_.load());
        case kPitchEnd:
            return write(text, "  %.2f  ", pitchEnd_.load());
        case kPitchDecay:
            return write(text, "  %.2f  ", pitchDecay_.load());
        case kPitchShape:
            return write(text, "  %.2f  ", pitchShape_.load());
        case kEnvMod:
            return write(text, "  %.2f  ", envModDepth_.load());
        case kEnvAttack:
            return write(text, "  %.2f  ", envAttack_.load());
        case kGateLevel:
            return write(text, "  %.0f  ", gateLevel_.load() * 100.0f);
        case kFeedback:
            return write(text, "  %.0f  ", feedbackAmount_.load() * 100.0f);
        case kTrigMode:
            std::snprintf(text, kMaxTextBytes, "%s",
                          kModeWords[static_cast<int>(trigMode_.load()) & 3]);
            return true;
        case kTrigLevel:
            return write(text, "  %.2f  ", trigLevel_.load() * 100.0f);
        case kTrigSelectivity:
            return write(text, "  %.2f  ", trigSelectivity_.load());
        case kXFade:
            std::snprintf(text, kMaxTextBytes, "  %d  ", xfadeSamples_.load());
            return true;
        case kMix: {
            const double mix = mix_.load();  // both figures in double, from the float value
            return write(text, "  Dry %.0f%% / Wet%.0f%%  ", (1.0 - mix) * 100.0, mix * 100.0);
        }
        case kSlopeOff:
            std::snprintf(text, kMaxTextBytes, "%s", slopeOff_.load() ? "On" : "Off");
            return true;
        default:
            return false;
    }
}

bool EngineParameters::label(int32_t index, char* text) const {
    if (text == nullptr) return false;
    const char* unit = "    ";
    if (index == kGateLevel || index == kFeedback || index == kTrigLevel) unit = "%";
    if (index == kXFade) unit = "  samples";
    std::snprintf(text, kMaxTextBytes, "%s", unit);
    return true;
}

}  // namespace brindlet
