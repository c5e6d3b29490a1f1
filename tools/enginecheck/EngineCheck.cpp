// Developer tool: renders every factory preset over the demo, writes WAV and PNG, prints figures.
//
// Usage: brindlet-enginecheck [OUTPUT_DIR]   (default: ./enginecheck)
#include <sndfile.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "shell/FactoryPresetTable.h"
#include "tests/golden/GoldenRender.h"
#include "tools/enginecheck/RenderPlot.h"

namespace brindlet {
namespace {

// Records the sweep-rate reports with the frame they belong to (the render runs frame by frame).
class TraceHost : public EngineHost {
public:
    std::size_t frame = 0;
    std::vector<RatePoint> rates;
    int takes = 0;
    bool hasEditor() const override { return true; }
    void notifyEditor(int32_t index, float value) override {
        if (index != kFeedSweep) return;
        rates.push_back({frame, value});
        if (value >= 50.0f) ++takes;
    }
    void automateParameter(int32_t, float) override {}
};

bool writeWav(const std::string& path, const StereoSignal& s, int rate) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return false;
    std::vector<float> interleaved(2 * s.left.size());
    for (std::size_t k = 0; k < s.left.size(); ++k) {
        interleaved[2 * k] = s.left[k];
        interleaved[2 * k + 1] = s.right[k];
    }
    const auto frames = static_cast<sf_count_t>(s.left.size());
    const bool ok = sf_writef_float(file, interleaved.data(), frames) == frames;
    sf_close(file);
    return ok;
}

// Renders frame by frame so each feed can be placed on the time axis; the audio is the same
// as in any other block size.
StereoSignal renderTraced(const FactoryPreset& preset, const StereoSignal& input, TraceHost& host) {
    Engine engine(&host);
    for (int32_t i = 0; i < kNumParams; ++i)
        engine.setParameter(i, kFactoryPresetTable[0].values[i]);
    engine.resetToDefaults();
    for (int32_t i = 0; i < kNumParams; ++i) engine.setParameter(i, preset.values[i]);
    engine.mainsOn(kGoldenSampleRate);
    StereoSignal out;
    out.left.assign(input.left.size(), 0.0f);
    out.right.assign(input.right.size(), 0.0f);
    for (std::size_t k = 0; k < input.left.size(); ++k) {
        host.frame = k;
        const float* in[2] = {&input.left[k], &input.right[k]};
        float* o[2] = {&out.left[k], &out.right[k]};
        engine.processReplacing(in, o, 1);
    }
    return out;
}

void describe(const char* name, const StereoSignal& s, uint64_t hash, uint64_t tracedHash,
              int takes) {
    double peak = 0, sum = 0;
    int nonFinite = 0;
    for (const auto* ch : {&s.left, &s.right}) {
        for (float v : *ch) {
            if (!std::isfinite(v)) ++nonFinite;
            peak = std::fmax(peak, std::fabs(v));
            sum += double(v) * v;
        }
    }
    const double rms = std::sqrt(sum / (2.0 * s.left.size()));
    std::printf("%-16s peak %.3f  rms %.4f  non-finite %d  fires %3d  hash 0x%016" PRIx64 "%s\n",
                name, peak, rms, nonFinite, takes, hash,
                hash == tracedHash ? "" : "  (block-size MISMATCH)");
}

}  // namespace
}  // namespace brindlet

int main(int argc, char** argv) {
    using namespace brindlet;
    const std::filesystem::path dir = argc > 1 ? argv[1] : "enginecheck";
    std::filesystem::create_directories(dir);
    const StereoSignal input = makeDemoSignal(kGoldenSampleRate);
    writeWav((dir / "demo-input.wav").string(), input, 44100);
    describe("demo input", input, hashSignal(input), hashSignal(input), 0);
    for (const FactoryPreset& preset : kFactoryPresetTable) {
        const StereoSignal output = renderPreset(preset, input);
        TraceHost host;
        const StereoSignal traced = renderTraced(preset, input, host);
        describe(preset.name, output, hashSignal(output), hashSignal(traced), host.takes);
        std::string file = preset.name;
        for (char& c : file) c = c == ' ' ? '-' : c;
        writeWav((dir / (file + ".wav")).string(), output, 44100);
        writeRenderPlot((dir / (file + ".png")).string(), preset.name, input, output, host.rates,
                        kGoldenSampleRate, 2000.0f);
    }
    return 0;
}
