// Builds the demo: four bars of a synthesized drum loop at 120 bpm over a decaying bass tone.
//
// Only + - * / on doubles and integer arithmetic are used (sine by polynomial, envelopes by
// repeated multiplication, noise by an integer generator): library sin/exp differ in the last
// bit between C libraries, and the demo must be the same bits on every target.
#include "tools/demo/DemoSignal.h"

#include <cmath>
#include <cstddef>

namespace brindlet {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kBars = 4;
constexpr int kStepsPerBar = 8;        // eighth notes
constexpr double kStepSeconds = 0.25;  // an eighth note at 120 bpm
constexpr double kPeakTarget = 0.89;   // about -1 dBFS

// sin(2 pi x) for any x: fold into a quarter period, then an odd Taylor polynomial.
double sineCycles(double x) {
    x -= std::floor(x);  // 0 <= x < 1
    if (x > 0.5) return -sineCycles(x - 0.5);
    if (x > 0.25) x = 0.5 - x;       // sin is symmetric about a quarter period
    const double a = 2.0 * kPi * x;  // 0..pi/2
    const double a2 = a * a;
    double p = 1.0;
    for (int n = 21; n >= 3; n -= 2) p = 1.0 - p * a2 / (n * (n - 1));
    return a * p;
}

// Per-sample factor of an exponential decay with time constant `seconds`.
double decayFactor(double seconds, double sampleRate) {
    return 1.0 - 1.0 / (seconds * sampleRate);
}

class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    double next() {  // -1 .. 1
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
    }

private:
    uint32_t state_;
};

struct Kick {
    double phase = 0.0, amp = 0.0, bend = 0.0;
    void hit(double level) { amp = level, bend = 1.0, phase = 0.0; }
    double next(double sr, double ampDecay, double bendDecay) {
        const double freq = 48.0 + 110.0 * bend;  // a fast drop from about 160 Hz
        phase += freq / sr;
        const double out = amp * sineCycles(phase);
        amp *= ampDecay;
        bend *= bendDecay;
        return out;
    }
};

struct Snare {
    double phase = 0.0, noiseAmp = 0.0, toneAmp = 0.0;
    void hit(double level) { noiseAmp = level, toneAmp = 0.6 * level, phase = 0.0; }
    double next(double sr, double noise, double noiseDecay, double toneDecay) {
        phase += 185.0 / sr;
        const double out = noiseAmp * noise + toneAmp * sineCycles(phase);
        noiseAmp *= noiseDecay;
        toneAmp *= toneDecay;
        return out;
    }
};

struct Hat {
    double amp = 0.0, previous = 0.0;
    void hit(double level) { amp = level; }
    double next(double noise, double decay) {
        const double bright = noise - previous;  // first difference: mostly high frequencies
        previous = noise;
        const double out = amp * 0.5 * bright;
        amp *= decay;
        return out;
    }
};

// A bass note per bar: three harmonics, a short swell and a long decay.
struct Tone {
    double phase = 0.0, freq = 110.0, amp = 0.0, swell = 0.0;
    void start(double f) { freq = f, amp = 0.22, swell = 0.0; }
    double next(double sr, double decay, double swellStep) {
        phase += freq / sr;
        if (swell < 1.0) swell += swellStep;
        const double s =
            sineCycles(phase) + 0.5 * sineCycles(2.0 * phase) + 0.25 * sineCycles(3.0 * phase);
        const double out = amp * (swell < 1.0 ? swell : 1.0) * s;
        amp *= decay;
        return out;
    }
};

struct Step {
    bool kick, snare, hat;
};

// Kicks on 1 and 3 with a push before 3 in bars 2 and 4, snares on 2 and 4, hats on eighths.
Step patternAt(int bar, int step) {
    const bool push = (bar % 2 == 1) && step == 3;
    return Step{step == 0 || step == 4 || push, step == 2 || step == 6, true};
}

}  // namespace

StereoSignal makeDemoSignal(float sampleRate) {
    StereoSignal signal;
    if (!(sampleRate >= 1000.0f && sampleRate <= 1000000.0f)) return signal;
    const double sr = sampleRate;
    const auto stepFrames = static_cast<std::size_t>(std::nearbyint(kStepSeconds * sr));
    const std::size_t frames = stepFrames * kStepsPerBar * kBars;
    signal.left.resize(frames);
    signal.right.resize(frames);

    const double bassNotes[kBars] = {55.0, 43.65, 65.41, 49.0};  // A1 F1 C2 G1
    Kick kick;
    Snare snare;
    Hat hatLeft, hatRight;
    Tone toneLeft, toneRight;
    Noise noise(0x2545F491u), noiseRight(0x9E3779B9u);
    const double kickAmp = decayFactor(0.16, sr), kickBend = decayFactor(0.025, sr);
    const double snareNoise = decayFactor(0.07, sr), snareTone = decayFactor(0.04, sr);
    const double hatDecay = decayFactor(0.018, sr), toneDecay = decayFactor(1.2, sr);
    const double swellStep = 1.0 / (0.01 * sr);

    double peak = 0.0;
    for (std::size_t k = 0; k < frames; ++k) {
        if (k % stepFrames == 0) {
            const auto step = static_cast<int>((k / stepFrames) % kStepsPerBar);
            const auto bar = static_cast<int>(k / (stepFrames * kStepsPerBar));
            const Step s = patternAt(bar, step);
            if (s.kick) kick.hit(0.8);
            if (s.snare) snare.hit(0.45);
            if (s.hat) hatLeft.hit(step % 2 == 0 ? 0.18 : 0.11), hatRight.hit(0.16);
            if (step == 0) toneLeft.start(bassNotes[bar]), toneRight.start(bassNotes[bar] * 1.003);
        }
        const double n = noise.next();
        const double drums = kick.next(sr, kickAmp, kickBend);
        const double sn = snare.next(sr, n, snareNoise, snareTone);
        const double left =
            drums + sn + hatLeft.next(n, hatDecay) + toneLeft.next(sr, toneDecay, swellStep);
        const double right = drums + 0.8 * sn + hatRight.next(noiseRight.next(), hatDecay) +
                             toneRight.next(sr, toneDecay, swellStep);
        signal.left[k] = static_cast<float>(left);
        signal.right[k] = static_cast<float>(right);
        peak = std::fmax(peak, std::fmax(std::fabs(left), std::fabs(right)));
    }
    const float scale = static_cast<float>(kPeakTarget / peak);
    for (std::size_t k = 0; k < frames; ++k) {
        signal.left[k] *= scale;
        signal.right[k] *= scale;
    }
    return signal;
}

}  // namespace brindlet
