// An editor set up as the program starts, for the benchmarks; optionally over the heavy track.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/heavy_track.h"
#include "editor/dispatch.h"
#include "editor/history.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/view_commands.h"
#include "render/overlay.h"
#include "render/overlay_rebuild.h"
#include "resources/control_ids.h"

namespace cs::bench {

// Copies size bytes per iteration: the reference that image costs are measured against.
inline void copy_bytes(benchmark::State& state, std::size_t size) {
    std::vector<unsigned char> from(size, 1), to(size);
    for (auto _ : state) {
        from[0] = static_cast<unsigned char>(from[0] + 1);
        std::memcpy(to.data(), from.data(), size);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
}

struct BenchEditor {
    ScriptedUi ui;
    std::unique_ptr<Editor> editor = std::make_unique<Editor>(ui);
    // literal: the literal overlay pass, the reference the repairing pass is compared with
    // (COURSESMITH_LITERAL_OVERLAYS=1 in the environment chooses it for every benchmark).
    explicit BenchEditor(bool heavy, bool literal = false) {
        const char* chosen = std::getenv("COURSESMITH_LITERAL_OVERLAYS");
        editor->renderer.literal_overlays =
            literal || (chosen != nullptr && *chosen != '\0' && *chosen != '0');
        set_up_editor(*editor);
        initialise_panel(*editor);
        if (heavy) {
            fill_heavy_track(editor->track);
            redraw_after_direct_change();
        }
        ui.calls.reserve(1 << 16);
    }
    // After the set-up wrote the track's elements directly: the whole picture again, so
    // that nothing of the set-up is left for the timed steps to repair.
    void redraw_after_direct_change() {
        invalidate_overlays(canvas_of(*editor));
        full_redraw(*editor);
        // The tile lists the redraw leaves for the first change to make.
        complete_index(canvas_of(*editor));
        // As after a load: the history starts on the track as written.
        start_history(*editor);
    }
    // Keeps the record of calls from growing without bound.
    void forget_calls() {
        if (ui.calls.size() > 60000) {
            ui.calls.clear();
        }
    }

    // The panel as the user works it.
    void tool(int id) { dispatch_command(*editor, id, Notification::clicked); }
    void slider(int id, int position) {
        ui.sliders[id] = position;
        slider_notification(*editor, id, SliderEvent::released_capture);
    }
    void check(int id, bool on) {
        ui.checked[id] = on ? 1 : 0;
        dispatch_command(*editor, id, Notification::clicked);
    }
    void object_kind(std::uint8_t kind) {
        ui.object_kind_entry = object_kind_position(kind);
        dispatch_command(*editor, id::object_kinds, Notification::selection_changed);
    }
};

} // namespace cs::bench
