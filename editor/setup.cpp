#include "editor/setup.h"
#include "editor/view_commands.h"
#include "model/file_io.h"

#include <filesystem>
#include <new>

#include "editor/changes.h"
#include "model/trk_file.h"
#include "render/overlay.h"
#include "render/overlay_cache.h"
#include "resources/control_ids.h"

namespace cs {

void set_title(Editor& editor, std::string_view name) {
    const std::string title = set_title(editor.names, name, editor.draw);
    editor.ui->set_window_title(title);
}

bool load_track(Editor& editor, const std::string& path) {
    const TrackReadResult result = read_track(path, editor.track);
    if (result.error != TrackFileError::none) {
        editor.documents.last_file_error = result.reason;
        editor.ui->message_box(message_for(result.error));
        return false;
    }
    const Track& t = editor.track;
    Ui& ui = *editor.ui;
    // The undo copies no longer belong to this track.
    editor.undo.land_armed = false;
    editor.undo.heights_armed = false;
    ui.set_control_enabled(id::land_undo, false);
    ui.set_control_enabled(id::hmap_undo, false);
    ui.set_control_enabled(id::delete_object, t.object_count != start_positions);
    ui.set_control_enabled(id::delete_checkpoint, t.checkpoint_count != 0);
    ui.set_control_enabled(id::delete_ai_line, t.ai_line_count != 0);
    ui.set_control_enabled(id::delete_ai_pit_line, t.ai_pit_line_count != 0);
    ui.set_control_enabled(id::delete_pit, t.pit_count != 0);
    build_shading_table(editor.renderer, t.water_level);
    full_redraw(editor);
    start_history(editor);
    return true;
}

bool set_up_editor(Editor& editor) {
    seed_standard_draw(editor.ui->tick_count());
    editor.cursor_path = utf8_of(path_of_utf8(editor.program_folder) / "coursesmith.cur");
    editor.track.author.fill(0);
    editor.track.comments.fill(0);

    editor.renderer.image.reset(new (std::nothrow) Pixel[image_size * image_size]());
    if (!editor.renderer.exists()) {
        return false;
    }
    create_overlay_cache(canvas_of(editor));

    Track& t = editor.track;
    reset_track(t);
    build_land_colours(editor.renderer);
    build_shading_table(editor.renderer, t.water_level);
    editor.renderer.height_spacing = height_spacing;
    recompute_all_pixels(canvas_of(editor));

    editor.tools.object_kind = 0;
    editor.tools.current_tool = 0;
    editor.tools.brush_size = 15;
    editor.tools.rope_length = 0;
    for (int i = 0; i < t.object_count; ++i) {
        const Object& o = t.objects[i];
        draw_object(canvas_of(editor), o.x, o.y, o.angle, o.kind, DrawMode::draw, i);
    }

    create_history(editor);
    if (!editor.command_line_track.empty()) {
        if (load_track(editor, editor.command_line_track)) {
            note_file_on_disk(editor, editor.command_line_track);
        }
        set_title(editor, editor.command_line_track);
    } else {
        set_title(editor, {});
    }
    return true;
}

void clean_up_editor(Editor& editor) {
    editor.renderer.image.reset();
}

} // namespace cs
