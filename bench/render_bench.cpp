// The view image: full redraws and the overlay redraw, on the default and the heavy track.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "bench/bench_editor.h"
#include "editor/view_commands.h"
#include "render/overlay.h"
#include "render/overlay_cache.h"
#include "render/terrain_image.h"

namespace {

using Fixture = cs::bench::BenchEditor;

// The reference the image costs are measured against: copying 1 MiB, the size of the image.
void BM_Memcpy1MiB(benchmark::State& state) {
    constexpr std::size_t size = std::size_t{1} << 20;
    cs::bench::copy_bytes(state, size);
}
BENCHMARK(BM_Memcpy1MiB)->Unit(benchmark::kMicrosecond);

// The terrain alone, every pixel, on the default track.
void BM_RecomputeAllPixels(benchmark::State& state) {
    Fixture f(false);
    for (auto _ : state) {
        cs::recompute_all_pixels(canvas_of(*f.editor));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RecomputeAllPixels)->Unit(benchmark::kMicrosecond);

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
    // The memory of the cover that the rebuild fills, in MiB.
    state.counters["cover_MiB"] =
        static_cast<double>(f.editor->renderer.overlays->cover_bytes()) / (1 << 20);
}
BENCHMARK(BM_FullRedrawHeavy)->Unit(benchmark::kMillisecond);

// The same with the literal pass, which only draws: what the rebuild of the cache costs on
// top of drawing.
void BM_FullRedrawHeavyLiteral(benchmark::State& state) {
    Fixture f(true, true);
    for (auto _ : state) {
        f.ui.clock += 100;
        cs::full_redraw(*f.editor);
    }
}
BENCHMARK(BM_FullRedrawHeavyLiteral)->Unit(benchmark::kMillisecond);

// The first overlay pass after a full redraw, with nothing changed: it makes the tile lists
// that the redraw left for the first change.
void BM_FirstPassAfterFullRedrawHeavy(benchmark::State& state) {
    Fixture f(true);
    for (auto _ : state) {
        state.PauseTiming();
        f.ui.clock += 100;
        cs::full_redraw(*f.editor);
        state.ResumeTiming();
        cs::redraw_overlays(canvas_of(*f.editor));
    }
}
BENCHMARK(BM_FirstPassAfterFullRedrawHeavy)->Unit(benchmark::kMillisecond);

void BM_RedrawOverlaysHeavy(benchmark::State& state) {
    Fixture f(true);
    for (auto _ : state) {
        cs::redraw_overlays(canvas_of(*f.editor));
    }
}
BENCHMARK(BM_RedrawOverlaysHeavy)->Unit(benchmark::kMillisecond);

} // namespace
