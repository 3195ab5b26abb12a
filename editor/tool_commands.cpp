#include "editor/tool_commands.h"

#include <algorithm>

#include "editor/editor.h"
#include "editor/view_commands.h"
#include "render/overlay.h"
#include "resources/control_ids.h"

namespace cs {

void select_tool(Editor& editor, int tool) {
    if (tool < 0 || tool >= tool_count) {
        return;
    }
    editor.tools.current_tool = tool;
    // A placement tool on a hidden overlay would place things the user cannot see.
    const ViewState& view = editor.view;
    if (!view.show_objects && (tool == object_tool || tool == pit_tool)) {
        show_objects(editor, true, true);
    } else if (!view.show_checkpoints && tool == checkpoint_tool) {
        show_checkpoints(editor, true, true);
    } else if (!view.show_ai_line && (tool == ai_line_tool || tool == ai_pit_line_tool)) {
        show_ai_line(editor, true, true);
    }
}

void select_object_kind(Editor& editor, std::uint8_t kind) {
    Ui& ui = *editor.ui;
    ui.set_check(id::first_tool + editor.tools.current_tool, false);
    ui.set_check(id::tool_object, true);
    show_objects(editor, true, true);
    editor.tools.object_kind = kind;
    editor.tools.current_tool = object_tool;

    // The pending object and pit follow the mouse in the placement slots; wipe both from
    // the image before the pending object changes its shape.
    Track& t = editor.track;
    const Canvas canvas = canvas_of(editor);
    Object& pending = t.objects[t.object_count];
    draw_object(canvas, pending.x, pending.y, pending.angle, pending.kind, DrawMode::erase, -1);
    const Pit& pending_pit = t.pits[t.pit_count];
    draw_object(canvas, pending_pit.x, pending_pit.y, pending_pit.angle, pit_kind, DrawMode::erase,
                -1);
    // The erase recomputes the terrain under both shapes, cutting through whatever else lay
    // there (a start position under the pit slot's default place, for one).
    redraw_overlays(canvas);
    request_repaint(editor, false);
    pending.kind = kind;
}

void set_brush_size(Editor& editor, int position) {
    editor.tools.brush_size = std::clamp(position, 1, 10) * 5;
}

void set_rope_length(Editor& editor, int position) {
    editor.tools.rope_length = std::clamp(position, 0, 10) * 10;
}

void set_image_blend(Editor& editor, int position) {
    // The blend weighs two colour bytes out of 10; any other weight would overflow them.
    editor.tools.image_blend = std::clamp(position, 0, 10);
    full_redraw(editor);
}

void snapshot_land(Editor& editor) {
    editor.undo.land = editor.track.land;
    editor.undo.land_armed = true;
    editor.ui->set_control_enabled(id::land_undo, true);
}

void snapshot_heights(Editor& editor) {
    editor.undo.heights = editor.track.heights;
    editor.undo.heights_armed = true;
    editor.ui->set_control_enabled(id::hmap_undo, true);
}

namespace {

// Restores a layer from its snapshot once: the button goes off with the snapshot's use.
template <typename Layer>
void restore(Editor& editor, bool& armed, Layer& layer, const Layer& snapshot, int button) {
    if (!armed) {
        return;
    }
    armed = false;
    layer = snapshot;
    full_redraw(editor);
    editor.ui->set_control_enabled(button, false);
}

} // namespace

void undo_land(Editor& editor) {
    restore(editor, editor.undo.land_armed, editor.track.land, editor.undo.land, id::land_undo);
}

void undo_heights(Editor& editor) {
    restore(editor, editor.undo.heights_armed, editor.track.heights, editor.undo.heights,
            id::hmap_undo);
}

void flatten_heights(Editor& editor) {
    snapshot_heights(editor);
    editor.track.heights.fill(default_height);
    full_redraw(editor);
}

} // namespace cs
