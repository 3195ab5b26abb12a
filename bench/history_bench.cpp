// The edit history: undoing and redoing one Tarmac stroke at brush 50 (20 dabs along a row),
// on the default and on the heavy track; step_bytes is what the history keeps for it.
#include <benchmark/benchmark.h>

#include "bench/bench_editor.h"
#include "editor/history.h"
#include "editor/mouse.h"

namespace {

using cs::bench::BenchEditor;

// Paints the stroke and returns the memory its step keeps.
double paint_stroke(BenchEditor& f) {
    f.tool(cs::id::tool_tarmac);
    f.slider(cs::id::brush_size, 10);
    cs::start_history(*f.editor);
    cs::press_handler(*f.editor, cs::left_button, 100, 256);
    for (int dab = 1; dab <= 20; ++dab) {
        cs::move_handler(*f.editor, cs::left_held, 100 + 12 * dab, 256);
    }
    cs::release_handler(*f.editor, cs::left_button, 340, 256);
    return static_cast<double>(f.editor->history.bytes);
}

// Times undo (or redo); the other half of each round trip runs outside the timing.
void history_step(benchmark::State& state, bool heavy, bool time_redo) {
    BenchEditor f(heavy);
    state.counters["step_bytes"] = paint_stroke(f);
    for (auto _ : state) {
        if (time_redo) {
            state.PauseTiming();
            cs::undo_edit(*f.editor);
            state.ResumeTiming();
            cs::redo_edit(*f.editor);
        } else {
            cs::undo_edit(*f.editor);
            state.PauseTiming();
            cs::redo_edit(*f.editor);
            state.ResumeTiming();
        }
        f.forget_calls();
    }
}

void BM_UndoStrokeDefault(benchmark::State& s) {
    history_step(s, false, false);
}
void BM_UndoStrokeHeavy(benchmark::State& s) {
    history_step(s, true, false);
}
void BM_RedoStrokeDefault(benchmark::State& s) {
    history_step(s, false, true);
}
void BM_RedoStrokeHeavy(benchmark::State& s) {
    history_step(s, true, true);
}
BENCHMARK(BM_UndoStrokeDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UndoStrokeHeavy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedoStrokeDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedoStrokeHeavy)->Unit(benchmark::kMicrosecond);

} // namespace
