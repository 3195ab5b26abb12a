#include "editor/history.h"
#include "editor/view_commands.h"

#include <algorithm>
#include <cmath>

#include "editor/editor.h"
#include "render/overlay.h"
#include "render/overlay_cache.h"
#include "render/terrain_image.h"
#include "render/view.h"
#include "resources/control_ids.h"

namespace cs {

namespace {

std::int64_t position(const History& h) {
    return h.first + static_cast<std::int64_t>(h.done);
}

bool gesture_under_way(const Editor& editor) {
    return editor.gesture.button_down != 0;
}

// The window title's modified mark follows the history's saved state.
void show_modified_mark(Editor& editor) {
    const bool modified = track_modified(editor);
    if (modified != editor.history.mark_shown) {
        editor.history.mark_shown = modified;
        editor.ui->set_modified_mark(modified);
    }
}

// Drops the oldest steps while the history keeps more than its budget.
void keep_to_budget(History& h) {
    while (h.bytes > h.budget && !h.steps.empty()) {
        h.bytes -= h.steps.front().bytes();
        h.steps.pop_front();
        ++h.first;
        h.done = h.done > 0 ? h.done - 1 : 0;
    }
}

// Objects changed in place beyond this many are redrawn with everything else instead.
constexpr std::size_t max_reported_in_place = 64;

// Tells the overlay pass, before the lists change, what it cannot see from their lengths.
// The pass follows elements that come or go at a list's end; objects that go from the middle
// or change in place are reported; anything else (elements coming back into the middle, a
// reordered line) redraws every overlay.
void report_list_changes(Editor& editor, const TrackChange& c, ChangeDirection direction) {
    const bool undo = direction == ChangeDirection::undo;
    const Track& t = editor.track;
    if (c.objects.changed) {
        const auto& leaving = undo ? c.objects.after : c.objects.before;
        const auto& coming = undo ? c.objects.before : c.objects.after;
        const int at = c.objects.at;
        const bool at_end = at + static_cast<int>(leaving.size()) == t.object_count;
        if (leaving.size() == coming.size() && leaving.size() <= max_reported_in_place) {
            note_objects_changed(canvas_of(editor), at, at + static_cast<int>(leaving.size()) - 1);
        } else if (coming.empty() || (leaving.empty() && at_end)) {
            for (std::size_t i = 0; i < leaving.size(); ++i) {
                note_object_removed(canvas_of(editor), at);
            }
        } else {
            invalidate_overlays(canvas_of(editor));
        }
    }
    // Pits, checkpoints and the driving lines: only changes at the end are followed.
    auto at_end_only = [undo](const auto& splice, int count) {
        const auto& leaving = undo ? splice.after : splice.before;
        const auto& coming = undo ? splice.before : splice.after;
        return !splice.changed || ((leaving.empty() || coming.empty()) &&
                                   splice.at + static_cast<int>(leaving.size()) == count);
    };
    if (!at_end_only(c.pits, t.pit_count) || !at_end_only(c.checkpoints, t.checkpoint_count) ||
        !at_end_only(c.ai_line, t.ai_line_count) ||
        !at_end_only(c.ai_pit_line, t.ai_pit_line_count)) {
        invalidate_overlays(canvas_of(editor));
    }
}

// The delete buttons follow the lists' lengths, as after a load. Only a button whose list
// became empty or stopped being empty is touched: setting a control's state takes the
// keyboard focus away, which an undo should not do for nothing.
struct ListsEmpty {
    bool pits, checkpoints, ai_line, ai_pit_line;
};
ListsEmpty lists_empty(const Track& t) {
    return {t.pit_count == 0, t.checkpoint_count == 0, t.ai_line_count == 0,
            t.ai_pit_line_count == 0};
}
void refresh_delete_buttons(Editor& editor, ListsEmpty before) {
    const ListsEmpty now = lists_empty(editor.track);
    Ui& ui = *editor.ui;
    if (before.pits != now.pits) {
        ui.set_control_enabled(id::delete_pit, !now.pits);
    }
    if (before.checkpoints != now.checkpoints) {
        ui.set_control_enabled(id::delete_checkpoint, !now.checkpoints);
    }
    if (before.ai_line != now.ai_line) {
        ui.set_control_enabled(id::delete_ai_line, !now.ai_line);
    }
    if (before.ai_pit_line != now.ai_pit_line) {
        ui.set_control_enabled(id::delete_ai_pit_line, !now.ai_pit_line);
    }
}

// Applies one step to the track and the shadow, then makes the view what a full redraw of
// the new state shows. The image is not assumed to be that before: some editing operations
// leave shapes behind on purpose (a start position moved onto an object of another kind),
// so the terrain is recomputed everywhere and the overlay pass, which keeps the per-pixel
// result of every overlay, writes its cover over it. That costs the same on every track. A
// change of water level or world size, or one the pass cannot follow, redraws everything.
void apply_step(Editor& editor, const TrackChange& c, ChangeDirection direction) {
    Track& t = editor.track;
    bool whole_picture = c.properties != nullptr &&
                         ((*c.properties)[0].water_level != (*c.properties)[1].water_level ||
                          (*c.properties)[0].world_size != (*c.properties)[1].world_size);
    if (!whole_picture && editor.renderer.exists()) {
        report_list_changes(editor, c, direction);
        const OverlayCache* cache = editor.renderer.overlays.get();
        whole_picture = cache == nullptr || !cache->valid || editor.renderer.literal_overlays;
    }
    // The pending object and pit hang on the pointer, whatever the lists do.
    const Object pending_object = t.objects[t.object_count];
    const Pit pending_pit = t.pits[t.pit_count];
    const ListsEmpty empty_before = lists_empty(t);
    apply_change(t, c, direction);
    apply_change(*editor.history.shadow, c, direction);
    t.objects[t.object_count] = pending_object;
    t.pits[t.pit_count] = pending_pit;

    if (whole_picture) {
        build_shading_table(editor.renderer, t.water_level);
        full_redraw(editor);
    } else if (editor.renderer.exists()) {
        recompute_all_pixels(canvas_of(editor));
        redraw_overlays(canvas_of(editor));
    }
    // The redraws above may have left hints; the shadow already agrees with the track.
    editor.history.hints = ChangeHints{};
    refresh_delete_buttons(editor, empty_before);
    request_repaint(editor, true);
}

} // namespace

void create_history(Editor& editor) {
    editor.history.shadow = std::make_unique<Track>();
    start_history(editor);
}

void start_history(Editor& editor) {
    History& h = editor.history;
    if (h.shadow == nullptr) {
        return;
    }
    *h.shadow = editor.track;
    h.hints = ChangeHints{};
    h.steps.clear();
    h.done = 0;
    h.bytes = 0;
    h.first = 0;
    h.saved = 0;
    ++h.revision;
    show_modified_mark(editor);
}

bool record_edit(Editor& editor) {
    History& h = editor.history;
    if (h.shadow == nullptr || gesture_under_way(editor)) {
        return false;
    }
    TrackChange change = compare_tracks(*h.shadow, editor.track, h.hints);
    h.hints = ChangeHints{};
    if (change.empty()) {
        show_modified_mark(editor);
        return false;
    }
    apply_change(*h.shadow, change, ChangeDirection::redo);
    // A new step after undos: what could have been redone is gone, the saved state with it
    // if it lay there.
    while (h.steps.size() > h.done) {
        h.bytes -= h.steps.back().bytes();
        h.steps.pop_back();
    }
    if (h.saved > position(h)) {
        h.saved = -1;
    }
    h.bytes += change.bytes();
    h.steps.push_back(std::move(change));
    ++h.done;
    ++h.revision;
    keep_to_budget(h);
    show_modified_mark(editor);
    return true;
}

namespace {

// One step back or forward, after recording whatever the last action left unrecorded.
bool move_in_history(Editor& editor, ChangeDirection direction) {
    if (gesture_under_way(editor)) {
        return false;
    }
    record_edit(editor);
    History& h = editor.history;
    const bool undo = direction == ChangeDirection::undo;
    if (undo ? h.done == 0 : h.done >= h.steps.size()) {
        return false;
    }
    const std::size_t step = undo ? h.done - 1 : h.done;
    apply_step(editor, h.steps[step], direction);
    h.done = undo ? step : step + 1;
    ++h.revision;
    show_modified_mark(editor);
    return true;
}

} // namespace

bool undo_edit(Editor& editor) {
    return move_in_history(editor, ChangeDirection::undo);
}

bool redo_edit(Editor& editor) {
    return move_in_history(editor, ChangeDirection::redo);
}

std::size_t undo_steps(const Editor& editor) {
    return editor.history.done;
}

std::size_t redo_steps(const Editor& editor) {
    return editor.history.steps.size() - editor.history.done;
}

void mark_saved(Editor& editor) {
    record_edit(editor);
    // Saved in the middle of a gesture: the file holds neither end of its step.
    editor.history.saved = gesture_under_way(editor) ? -1 : position(editor.history);
    show_modified_mark(editor);
}

void mark_unsaved(Editor& editor) {
    editor.history.saved = -1;
    ++editor.history.revision;
    show_modified_mark(editor);
}

bool unsaved_changes(Editor& editor) {
    record_edit(editor);
    return track_modified(editor) || !history_in_step(editor);
}

bool track_modified(const Editor& editor) {
    return position(editor.history) != editor.history.saved;
}

bool history_in_step(const Editor& editor) {
    return editor.history.shadow == nullptr || same_document(*editor.history.shadow, editor.track);
}

} // namespace cs
