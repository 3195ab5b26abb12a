// The view image: full redraws and the overlay redraw, on the default and the heavy track.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_editor.h"
#include "render/overlay.h"

namespace {

using Fixture = cs::bench::BenchEditor;

void BM_FullRedrawDefault(benchmark::State& state) {
    Fixture f(false);
    for (auto _ : state) {
        f.ui.clock += 100; // every repaint is carried out
        cs::full_redraw(*f.editor);
    }
}
BENCHMARK(BM_FullRedrawDefault)->Unit(benchmark::kMillisecond);

void BM_FullRedrawHeavy(benchmark::State& state) {
    Fixture f(true);
    for (auto _ : state) {
        f.ui.clock += 100;
        cs::full_redraw(*f.editor);
    }
}
BENCHMARK(BM_FullRedrawHeavy)->Unit(benchmark::kMillisecond);

void BM_RedrawOverlaysHeavy(benchmark::State& state) {
    Fixture f(true);
    for (auto _ : state) {
        cs::redraw_overlays(*f.editor);
    }
}
BENCHMARK(BM_RedrawOverlaysHeavy)->Unit(benchmark::kMillisecond);

} // namespace
