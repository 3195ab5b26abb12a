// An editor set up as the program starts, for the benchmarks; optionally over the heavy track.
#pragma once

#include <memory>

#include "bench/heavy_track.h"
#include "editor/dispatch.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"

namespace cs::bench {

struct BenchEditor {
    ScriptedUi ui;
    std::unique_ptr<Editor> editor = std::make_unique<Editor>(ui);
    explicit BenchEditor(bool heavy) {
        set_up_editor(*editor);
        initialise_panel(*editor);
        if (heavy) {
            fill_heavy_track(editor->track);
            full_redraw(*editor);
        }
        ui.calls.reserve(1 << 16);
    }
    // Keeps the record of calls from growing without bound.
    void forget_calls() {
        if (ui.calls.size() > 60000) {
            ui.calls.clear();
        }
    }
};

} // namespace cs::bench
