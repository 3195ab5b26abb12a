// The view image: full redraws and the overlay redraw, on the default and the heavy track.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/heavy_track.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "render/overlay.h"

namespace {

struct Fixture {
    cs::ScriptedUi ui;
    std::unique_ptr<cs::Editor> editor = std::make_unique<cs::Editor>(ui);
    explicit Fixture(bool heavy) {
        cs::set_up_editor(*editor);
        if (heavy) {
            cs::bench::fill_heavy_track(editor->track);
        }
    }
};

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
