// Editing costs per step: brush drags, height drags, the oil splash, rope drags and the
// pending object following the cursor, on the default track and on the heavy one.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_editor.h"
#include "interaction/mouse.h"
#include "resources/control_ids.h"
#include "terrain/brushes.h"
#include "terrain/heights.h"

namespace {

struct Fixture : cs::bench::BenchEditor {
    explicit Fixture(bool heavy) : BenchEditor(heavy) {}
    void tool(int id) { cs::dispatch_command(*editor, id, cs::Notification::clicked); }
    void brush(int position) {
        ui.sliders[cs::id::brush_size] = position;
        cs::slider_notification(*editor, cs::id::brush_size, cs::SliderEvent::released_capture);
    }
};

// One step of a Tarmac drag at brush size 50: a stroke and a disc.
void tarmac_step(benchmark::State& state, bool heavy) {
    Fixture f(heavy);
    float x = 60;
    for (auto _ : state) {
        cs::paint_stroke(*f.editor, x, 256, x + 4, 256, cs::tarmac_tool, 50, 0);
        cs::paint_disc(*f.editor, x + 4, 256, cs::tarmac_tool, 50, 0);
        x = x > 440 ? 60 : x + 4;
    }
}
void BM_TarmacStepDefault(benchmark::State& state) {
    tarmac_step(state, false);
}
void BM_TarmacStepHeavy(benchmark::State& state) {
    tarmac_step(state, true);
}
BENCHMARK(BM_TarmacStepDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TarmacStepHeavy)->Unit(benchmark::kMicrosecond);

void BM_HeightAdjustStep(benchmark::State& state) {
    Fixture f(false);
    float x = 100;
    float amount = 1000;
    for (auto _ : state) {
        cs::adjust_heights(*f.editor, x, 256, amount, 50);
        x = x > 400 ? 100 : x + 4;
        amount = -amount;
    }
}
BENCHMARK(BM_HeightAdjustStep)->Unit(benchmark::kMicrosecond);

void BM_OilSplash(benchmark::State& state) {
    Fixture f(false);
    for (auto _ : state) {
        state.PauseTiming();
        f.editor->track.land.fill(cs::tarmac);
        state.ResumeTiming();
        cs::oil_splash(*f.editor, 256, 256, 50 * 0.25f);
    }
}
BENCHMARK(BM_OilSplash)->Unit(benchmark::kMicrosecond);

// A replayed drag: press, then moves along a circle, one per iteration.
void drag(benchmark::State& state, bool heavy, int tool_id) {
    Fixture f(heavy);
    f.tool(tool_id);
    if (tool_id == cs::id::tool_tarmac) {
        f.brush(10);
    }
    cs::press_handler(*f.editor, cs::left_button, 100, 100);
    int step = 0;
    for (auto _ : state) {
        f.ui.clock += 5; // moves arrive every 5 ms, so most repaints are dropped
        const int x = 100 + (step * 7) % 300;
        const int y = 100 + ((step * 7) / 300 % 2 == 0 ? (step * 3) % 300 : 300 - (step * 3) % 300);
        cs::move_handler(*f.editor, cs::left_held, x, y);
        ++step;
        f.forget_calls();
        if (f.editor->track.ai_line_count > 60000) {
            f.editor->track.ai_line_count = 1;
        }
    }
    cs::release_handler(*f.editor, cs::left_button, 100, 100);
}
void BM_TarmacDragMoveDefault(benchmark::State& s) {
    drag(s, false, cs::id::tool_tarmac);
}
void BM_TarmacDragMoveHeavy(benchmark::State& s) {
    drag(s, true, cs::id::tool_tarmac);
}
void BM_AiRopeMoveDefault(benchmark::State& s) {
    drag(s, false, cs::id::tool_ai_line);
}
void BM_AiRopeMoveHeavy(benchmark::State& s) {
    drag(s, true, cs::id::tool_ai_line);
}
BENCHMARK(BM_TarmacDragMoveDefault)->Unit(benchmark::kMicrosecond)->Iterations(1000);
BENCHMARK(BM_TarmacDragMoveHeavy)->Unit(benchmark::kMicrosecond)->Iterations(1000);
BENCHMARK(BM_AiRopeMoveDefault)->Unit(benchmark::kMicrosecond)->Iterations(1000);
BENCHMARK(BM_AiRopeMoveHeavy)->Unit(benchmark::kMicrosecond)->Iterations(1000);

void BM_PendingObjectFollowHeavy(benchmark::State& state) {
    Fixture f(true);
    // The heavy track's object list is full: place below the limit so a pending object exists.
    f.editor->track.object_count = cs::max_objects - 1;
    f.ui.object_kind_entry = 17; // "House"
    cs::dispatch_command(*f.editor, cs::id::object_kinds, cs::Notification::selection_changed);
    int step = 0;
    for (auto _ : state) {
        cs::move_handler(*f.editor, 0, 50 + step % 400, 200);
        ++step;
        f.forget_calls();
    }
}
BENCHMARK(BM_PendingObjectFollowHeavy)->Unit(benchmark::kMillisecond);

} // namespace
