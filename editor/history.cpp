#include "editor/history.h"

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

// Drops the oldest steps while the history keeps more than its budget.
void keep_to_budget(History& h) {
    while (h.bytes > h.budget && !h.steps.empty()) {
        h.bytes -= h.steps.front().bytes();
        h.steps.pop_front();
        ++h.first;
        h.done = h.done > 0 ? h.done - 1 : 0;
    }
}

// The pixels a change of the height samples can reach: pixel x blends the samples
// floor((x + 0.5) / spacing) and the one after, so sample c reaches the pixels whose
// centres lie within one spacing either side of it (one pixel more for rounding).
Rect height_reach(const CellRuns<std::uint16_t>& runs, float spacing) {
    int left = height_size, top = height_size, right = -1, bottom = -1;
    for (std::size_t i = 0; i < runs.offset.size(); ++i) {
        const int first = static_cast<int>(runs.offset[i]);
        const int last = first + static_cast<int>(runs.length[i]) - 1;
        top = std::min(top, first / height_size);
        bottom = std::max(bottom, last / height_size);
        // A run across rows covers every column between.
        if (first / height_size != last / height_size) {
            left = 0;
            right = height_size - 1;
        } else {
            left = std::min(left, first % height_size);
            right = std::max(right, last % height_size);
        }
    }
    auto low = [spacing](int s) { return truncate_to_int(static_cast<float>(s - 1) * spacing) - 1; };
    auto high = [spacing](int s) { return truncate_to_int(static_cast<float>(s + 1) * spacing) + 2; };
    return Rect{low(left), low(top), high(right), high(bottom)};
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
            note_objects_changed(editor, at, at + static_cast<int>(leaving.size()) - 1);
        } else if (coming.empty() || (leaving.empty() && at_end)) {
            for (std::size_t i = 0; i < leaving.size(); ++i) {
                note_object_removed(editor, at);
            }
        } else {
            invalidate_overlays(editor);
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
        invalidate_overlays(editor);
    }
}

// Wipes from the image what the elements about to leave their lists drew, as the editing
// operations do before they remove an element; the overlay pass then repairs what the
// wipe cut through. A segment of a driving line goes with either of its points, and the
// closing segment with any change of the AI line.
void erase_leaving(Editor& editor, const TrackChange& c, ChangeDirection direction) {
    const bool undo = direction == ChangeDirection::undo;
    const Track& t = editor.track;
    auto leaving = [undo](const auto& splice) {
        return static_cast<int>(undo ? splice.after.size() : splice.before.size());
    };
    if (c.objects.changed) {
        for (int i = c.objects.at; i < c.objects.at + leaving(c.objects); ++i) {
            const Object& o = t.objects[static_cast<std::size_t>(i)];
            draw_object(editor, o.x, o.y, o.angle, o.kind, DrawMode::erase, i);
        }
    }
    if (c.pits.changed) {
        for (int i = c.pits.at; i < c.pits.at + leaving(c.pits); ++i) {
            const Pit& p = t.pits[static_cast<std::size_t>(i)];
            draw_object(editor, p.x, p.y, p.angle, pit_kind, DrawMode::erase, -1);
        }
    }
    if (c.checkpoints.changed) {
        for (int i = c.checkpoints.at; i < c.checkpoints.at + leaving(c.checkpoints); ++i) {
            const Checkpoint& k = t.checkpoints[static_cast<std::size_t>(i)];
            // Without its index: erasing restores the terrain under the number as well.
            draw_checkpoint(editor, k.x1, k.y1, k.x2, k.y2, DrawMode::erase, -1);
        }
    }
    auto erase_segments = [&](const auto& splice, const LinePoint* points, int count) {
        if (!splice.changed) {
            return;
        }
        const int last = std::min(splice.at + leaving(splice), count - 1);
        for (int i = std::max(splice.at, 1); i <= last; ++i) {
            const LinePoint& a = points[i - 1];
            const LinePoint& b = points[i];
            plot_segment(editor, a.x, a.y, b.x, b.y, 0, DrawMode::erase);
        }
        // The segment into the first point that leaves, from the one before it.
        if (splice.at > 0 && splice.at < count && leaving(splice) == 0) {
            const LinePoint& a = points[splice.at - 1];
            const LinePoint& b = points[splice.at];
            plot_segment(editor, a.x, a.y, b.x, b.y, 0, DrawMode::erase);
        }
    };
    erase_segments(c.ai_line, t.ai_line.data(), t.ai_line_count);
    erase_segments(c.ai_pit_line, t.ai_pit_line.data(), t.ai_pit_line_count);
    if (c.ai_line.changed && t.ai_line_count >= 3) {
        const LinePoint& a = t.ai_line[t.ai_line_count - 1u];
        plot_segment(editor, a.x, a.y, t.ai_line[0].x, t.ai_line[0].y, 0, DrawMode::erase);
    }
}

// The delete buttons follow the lists' lengths, as after a load.
void refresh_delete_buttons(Editor& editor) {
    const Track& t = editor.track;
    Ui& ui = *editor.ui;
    ui.set_control_enabled(id::delete_pit, t.pit_count != 0);
    ui.set_control_enabled(id::delete_checkpoint, t.checkpoint_count != 0);
    ui.set_control_enabled(id::delete_ai_line, t.ai_line_count != 0);
    ui.set_control_enabled(id::delete_ai_pit_line, t.ai_pit_line_count != 0);
}

// Applies one step to the track and the shadow, then brings the view up to what a full
// redraw of the new state shows: the cells and samples that changed are recomputed and the
// overlay pass repairs the rest; a change of the water level or world size redraws all.
void apply_step(Editor& editor, const TrackChange& c, ChangeDirection direction) {
    Track& t = editor.track;
    bool whole_picture =
        c.properties != nullptr && ((*c.properties)[0].water_level != (*c.properties)[1].water_level ||
                                    (*c.properties)[0].world_size != (*c.properties)[1].world_size);
    if (!whole_picture && editor.renderer.exists()) {
        // The pending object and pit are no part of the track: wiped as a full redraw wipes
        // them. Then a pass takes in what was placed since the last one, so that the cache
        // can take it back.
        const Object& o = t.objects[t.object_count];
        draw_object(editor, o.x, o.y, o.angle, o.kind, DrawMode::erase, -1);
        if (t.pit_count < max_pits) {
            const Pit& p = t.pits[t.pit_count];
            draw_object(editor, p.x, p.y, p.angle, pit_kind, DrawMode::erase, -1);
        }
        redraw_overlays(editor);
        erase_leaving(editor, c, direction);
        report_list_changes(editor, c, direction);
        // Changes the pass cannot follow start the overlays afresh, over a fresh terrain.
        const OverlayCache* cache = editor.renderer.overlays.get();
        whole_picture = cache == nullptr || !cache->valid || editor.renderer.literal_overlays;
    }
    // The pending object and pit hang on the pointer, whatever the lists do.
    const Object pending_object = t.objects[t.object_count];
    const Pit pending_pit = t.pits[t.pit_count];
    apply_change(t, c, direction);
    apply_change(*editor.history.shadow, c, direction);
    t.objects[t.object_count] = pending_object;
    t.pits[t.pit_count] = pending_pit;

    if (whole_picture) {
        build_shading_table(editor.renderer, t.water_level);
        full_redraw(editor);
    } else if (editor.renderer.exists()) {
        for (std::size_t i = 0; i < c.land.offset.size(); ++i) {
            const int x = static_cast<int>(c.land.offset[i] % map_size);
            const int y = static_cast<int>(c.land.offset[i] / map_size);
            recompute_rectangle(editor, x, y, x + static_cast<int>(c.land.length[i]), y + 1);
        }
        if (!c.heights.empty()) {
            const Rect r = height_reach(c.heights, editor.renderer.height_spacing);
            recompute_rectangle(editor, r.left, r.top, r.right, r.bottom);
        }
        redraw_overlays(editor);
    }
    // The redraws above may have noted where they wrote; the shadow already agrees.
    editor.history.hints = ChangeHints{};
    refresh_delete_buttons(editor);
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
}

bool record_edit(Editor& editor) {
    History& h = editor.history;
    if (h.shadow == nullptr || gesture_under_way(editor)) {
        return false;
    }
    TrackChange change = compare_tracks(*h.shadow, editor.track, h.hints);
    h.hints = ChangeHints{};
    if (change.empty()) {
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
    keep_to_budget(h);
    return true;
}

bool undo_edit(Editor& editor) {
    if (gesture_under_way(editor)) {
        return false;
    }
    record_edit(editor);
    History& h = editor.history;
    if (h.done == 0) {
        return false;
    }
    --h.done;
    apply_step(editor, h.steps[h.done], ChangeDirection::undo);
    return true;
}

bool redo_edit(Editor& editor) {
    if (gesture_under_way(editor)) {
        return false;
    }
    record_edit(editor);
    History& h = editor.history;
    if (h.done >= h.steps.size()) {
        return false;
    }
    apply_step(editor, h.steps[h.done], ChangeDirection::redo);
    ++h.done;
    return true;
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
}

bool track_modified(const Editor& editor) {
    return position(editor.history) != editor.history.saved;
}

bool history_in_step(const Editor& editor) {
    return editor.history.shadow == nullptr || same_document(*editor.history.shadow, editor.track);
}

} // namespace cs
