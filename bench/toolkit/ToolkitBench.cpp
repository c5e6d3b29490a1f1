// Redraw costs of a frame laid out like the editor: background 465 x 360 and twelve sliders.
#include <benchmark/benchmark.h>

#include "bench/toolkit/EditorLikeFrame.h"
#include "toolkit/controls/Slider.h"
#include "toolkit/platform/headless/Headless.h"

namespace brindlet {
namespace {

int dummyParent;

class EditorLikeFrame {
public:
    EditorLikeFrame() : frame(Rect(0, 0, 465, 360), &dummyParent, nullptr) {
        bench::buildEditorLikeFrame(frame);
        headless::paint(frame.getWindow(), Rect(0, 0, 465, 360));
    }
    Frame frame;
};

void fullRedraw(benchmark::State& state) {
    EditorLikeFrame editor;
    for (auto _ : state) editor.frame.redrawView(nullptr);
}
BENCHMARK(fullRedraw)->Unit(benchmark::kMicrosecond);

void idleWithNothingDirty(benchmark::State& state) {
    EditorLikeFrame editor;
    editor.frame.idle();
    for (auto _ : state) editor.frame.idle();
}
BENCHMARK(idleWithNothingDirty)->Unit(benchmark::kNanosecond);

void idleWithOneSliderMoved(benchmark::State& state) {
    EditorLikeFrame editor;
    auto* slider = static_cast<Slider*>(editor.frame.getView(4));
    float v = 0.0f;
    for (auto _ : state) {
        v = v > 0.9f ? 0.0f : v + 0.01f;
        slider->setValue(v);
        editor.frame.idle();
    }
}
BENCHMARK(idleWithOneSliderMoved)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brindlet

BENCHMARK_MAIN();
