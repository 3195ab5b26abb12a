// Editing costs per step, each on the default track (with the few elements the gesture
// needs) and on the heavy track (every list at its maximum), driven through the panel and
// the mouse handlers as the user drives them. Each Heavy variant repeats its Default's
// gesture exactly, so their ratio is what the track's contents add to one step.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "bench/bench_editor.h"
#include "editor/editor.h"
#include "editor/mouse.h"
#include "resources/control_ids.h"
#include "terrain/brushes.h"

namespace {

using cs::bench::BenchEditor;

// Position `step` of a walk to and fro between low and high; stride divides high - low.
int to_and_fro(int step, int low, int high, int stride) {
    const int span = high - low;
    const int k = step % (2 * span / stride) * stride;
    return k <= span ? low + k : high - (k - span);
}

// A Tarmac drag at brush 50: every move paints a stroke and a disc. The cursor sweeps
// to and fro along a row, so the gesture never has to end.
void tarmac_step(benchmark::State& state, bool heavy) {
    BenchEditor f(heavy);
    f.tool(cs::id::tool_tarmac);
    f.slider(cs::id::brush_size, 10);
    cs::press_handler(*f.editor, cs::left_button, 60, 256);
    int step = 0;
    for (auto _ : state) {
        cs::move_handler(*f.editor, cs::left_held, to_and_fro(++step, 60, 452, 8), 256);
        f.forget_calls();
    }
    cs::release_handler(*f.editor, cs::left_button, 60, 256);
}
void BM_TarmacStepDefault(benchmark::State& s) {
    tarmac_step(s, false);
}
void BM_TarmacStepHeavy(benchmark::State& s) {
    tarmac_step(s, true);
}
BENCHMARK(BM_TarmacStepDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TarmacStepHeavy)->Unit(benchmark::kMicrosecond);

// A height drag at brush 50: each place is raised with the left button held, then
// lowered with the right one, which keeps the heights where they were.
void height_adjust_step(benchmark::State& state, bool heavy) {
    BenchEditor f(heavy);
    f.tool(cs::id::tool_hmap_adjust);
    f.slider(cs::id::brush_size, 10);
    cs::press_handler(*f.editor, cs::left_button, 100, 256);
    int step = 0;
    for (auto _ : state) {
        const int keys = step % 2 == 0 ? cs::left_held : cs::right_held;
        cs::move_handler(*f.editor, keys, to_and_fro(step / 2, 100, 400, 4), 256);
        ++step;
        f.forget_calls();
    }
    cs::release_handler(*f.editor, cs::left_button, 100, 256);
}
void BM_HeightAdjustStepDefault(benchmark::State& s) {
    height_adjust_step(s, false);
}
void BM_HeightAdjustStepHeavy(benchmark::State& s) {
    height_adjust_step(s, true);
}
BENCHMARK(BM_HeightAdjustStepDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HeightAdjustStepHeavy)->Unit(benchmark::kMicrosecond);

// The rope of the AI line tool: the cursor walks a circle from the line's end in chords of
// a little more than one point spacing, so each move adds a point or two. After
// rope_moves moves the line is cut back to where it began (outside the timing), so the
// Default line stays short and the Heavy one keeps its room.
constexpr float rope_centre = 256, rope_radius = 120;
constexpr float rope_turn = 0.2f; // radians per move: a chord of 24 map units
constexpr int rope_moves = 32;

void ai_rope_move(benchmark::State& state, bool heavy) {
    BenchEditor f(heavy);
    cs::Track& t = f.editor->track;
    // Both lines end at the circle's start and close back to the same first point.
    if (heavy) {
        t.ai_line_count = cs::max_ai_line - 1024;
    } else {
        t.ai_line[0] = cs::LinePoint{456, 256};
        t.ai_line[1] = cs::LinePoint{300, 420};
        t.ai_line_count = 3;
    }
    t.ai_line[t.ai_line_count - 1] = cs::LinePoint{rope_centre + rope_radius, rope_centre};
    const std::uint16_t begun = t.ai_line_count;
    f.redraw_after_direct_change();
    f.tool(cs::id::tool_ai_line);
    cs::press_handler(*f.editor, cs::left_button, static_cast<int>(rope_centre + rope_radius),
                      static_cast<int>(rope_centre));
    int step = 0;
    for (auto _ : state) {
        ++step;
        const float a = rope_turn * static_cast<float>(step);
        cs::move_handler(*f.editor, cs::left_held,
                         static_cast<int>(rope_centre + rope_radius * std::cos(a)),
                         static_cast<int>(rope_centre + rope_radius * std::sin(a)));
        if (step == rope_moves) {
            state.PauseTiming();
            t.ai_line_count = begun;
            f.redraw_after_direct_change();
            f.forget_calls();
            step = 0;
            state.ResumeTiming();
        }
    }
    cs::release_handler(*f.editor, cs::left_button, 0, 0);
}
void BM_AiRopeMoveDefault(benchmark::State& s) {
    ai_rope_move(s, false);
}
void BM_AiRopeMoveHeavy(benchmark::State& s) {
    ai_rope_move(s, true);
}
BENCHMARK(BM_AiRopeMoveDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AiRopeMoveHeavy)->Unit(benchmark::kMicrosecond);

// A House hanging on the pointer, following it along a row with no button held.
void pending_object_follow(benchmark::State& state, bool heavy) {
    BenchEditor f(heavy);
    if (heavy) {
        // Room for one more, as a placement needs.
        f.editor->track.object_count = cs::max_objects - 1;
        f.redraw_after_direct_change();
    }
    f.object_kind(cs::house);
    int step = 0;
    for (auto _ : state) {
        cs::move_handler(*f.editor, 0, to_and_fro(++step, 50, 450, 2), 200);
        f.forget_calls();
    }
}
void BM_PendingObjectFollowDefault(benchmark::State& s) {
    pending_object_follow(s, false);
}
void BM_PendingObjectFollowHeavy(benchmark::State& s) {
    pending_object_follow(s, true);
}
BENCHMARK(BM_PendingObjectFollowDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PendingObjectFollowHeavy)->Unit(benchmark::kMicrosecond);

// A checkpoint being drawn: its free end goes round its fixed one, 60 units away.
void checkpoint_drag(benchmark::State& state, bool heavy) {
    BenchEditor f(heavy);
    if (heavy) {
        // Room for one more, as a placement needs.
        f.editor->track.checkpoint_count = cs::max_checkpoints - 1;
        f.redraw_after_direct_change();
    }
    f.tool(cs::id::tool_checkpoint);
    cs::press_handler(*f.editor, cs::left_button, 150, 300);
    int step = 0;
    for (auto _ : state) {
        const float a = 0.05f * static_cast<float>(++step % 126);
        cs::move_handler(*f.editor, cs::left_held, static_cast<int>(150 + 60 * std::cos(a)),
                         static_cast<int>(300 + 60 * std::sin(a)));
        f.forget_calls();
    }
}
void BM_CheckpointDragDefault(benchmark::State& s) {
    checkpoint_drag(s, false);
}
void BM_CheckpointDragHeavy(benchmark::State& s) {
    checkpoint_drag(s, true);
}
BENCHMARK(BM_CheckpointDragDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckpointDragHeavy)->Unit(benchmark::kMicrosecond);

// Delete-object mode: a click on the object placed last deletes it. Both variants end
// their list with the same victims (on the heavy track in place of its last objects), at
// whole-unit positions where no heavy object lies, and lose them in the same order; the
// list is refilled outside the timing once they are gone.
constexpr int victims = 64;
cs::Object victim(int i) {
    return cs::Object{static_cast<float>(40 + (i % 8) * 60), static_cast<float>(40 + (i / 8) * 60),
                      0.3f * static_cast<float>(i), static_cast<std::uint8_t>(1 + i % 24)};
}

void delete_object(benchmark::State& state, bool heavy) {
    BenchEditor f(heavy);
    cs::Track& t = f.editor->track;
    const int first = heavy ? cs::max_objects - victims : cs::start_positions;
    const cs::Object slot = t.objects[t.object_count];
    auto refill = [&] {
        for (int i = 0; i < victims; ++i) {
            t.objects[first + i] = victim(i);
        }
        t.object_count = static_cast<std::uint16_t>(first + victims);
        t.objects[t.object_count] = slot;
        f.redraw_after_direct_change();
    };
    refill();
    f.check(cs::id::delete_object, true);
    int left = victims;
    for (auto _ : state) {
        const cs::Object& last = t.objects[first + left - 1];
        const int x = static_cast<int>(last.x), y = static_cast<int>(last.y);
        cs::press_handler(*f.editor, cs::left_button, x, y);
        cs::release_handler(*f.editor, cs::left_button, x, y);
        if (--left == 0) {
            state.PauseTiming();
            refill();
            f.forget_calls();
            left = victims;
            state.ResumeTiming();
        }
    }
}
void BM_DeleteObjectDefault(benchmark::State& s) {
    delete_object(s, false);
}
void BM_DeleteObjectHeavy(benchmark::State& s) {
    delete_object(s, true);
}
BENCHMARK(BM_DeleteObjectDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeleteObjectHeavy)->Unit(benchmark::kMicrosecond);

// The oil splash of one click, on a map of tarmac (oil lands on road cells only).
void BM_OilSplash(benchmark::State& state) {
    BenchEditor f(false);
    for (auto _ : state) {
        state.PauseTiming();
        f.editor->track.land.fill(cs::tarmac);
        state.ResumeTiming();
        cs::oil_splash(terrain_edit_of(*f.editor), 256, 256, 50 * 0.25f);
    }
}
BENCHMARK(BM_OilSplash)->Unit(benchmark::kMicrosecond);

} // namespace
