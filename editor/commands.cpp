#include "editor/commands.h"
#include "editor/view_commands.h"
#include "model/file_io.h"

#include <algorithm>
#include <filesystem>

#include "editor/changes.h"
#include "editor/editor.h"
#include "editor/recovery.h"
#include "editor/setup.h"
#include "model/codepage.h"
#include "model/trk_file.h"
#include "model/validation.h"
#include "render/overlay.h"
#include "resources/control_ids.h"
#include "resources/templates.h"

namespace cs {

namespace {

FileDialogRequest track_dialog(std::string initial_name) {
    FileDialogRequest request;
    request.filters = {{"Tyrestorm Track Files (*.trk)", "*.TRK"}, {"All Files", "*.*"}};
    request.default_extension = "trk";
    request.initial_name = std::move(initial_name);
    return request;
}

// Loads a chosen or dropped track; the title follows only a successful load.
void open_track_file(Editor& editor, const std::string& path) {
    if (load_track(editor, path)) {
        set_title(editor, path);
        note_file_on_disk(editor, path);
    }
}

// What the dialog shows when it opens; refreshes the stored track length on the way.
PropertiesValues properties_of(Track& t) {
    PropertiesValues v;
    v.water_level = t.water_level;
    v.view_angle = t.view_angle;
    v.rotation = t.rotation;
    v.zoom = t.zoom;
    v.world_size = t.world_size;
    v.sf_line = t.sf_line == 1;
    t.track_length = compute_track_length(t);
    v.track_length = t.track_length;
    v.author = cp1252_to_utf8(text_of(t.author));
    v.comments = comments_from_stored(text_of(t.comments));
    return v;
}

// OK: the sliders' positions (a slider holds nothing outside its range), the check box and
// the texts, cut to what the track stores.
void take_properties(Track& t, PropertiesValues v) {
    for (const PropertySlider& s : property_sliders) {
        int& value = property_value(v, s.property);
        value = std::clamp(value, s.minimum, s.maximum);
    }
    t.water_level = static_cast<std::uint8_t>(v.water_level);
    t.view_angle = static_cast<std::int16_t>(v.view_angle);
    t.rotation = static_cast<std::int16_t>(v.rotation);
    t.zoom = static_cast<std::uint8_t>(v.zoom);
    t.world_size = static_cast<std::uint8_t>(v.world_size);
    t.sf_line = v.sf_line ? 1 : 0;
    const std::string author = utf8_to_cp1252(v.author, author_capacity);
    t.author.fill(0);
    std::copy(author.begin(), author.end(), t.author.begin());
    const std::string comments = comments_to_stored(v.comments, comments_capacity);
    t.comments.fill(0);
    std::copy(comments.begin(), comments.end(), t.comments.begin());
}

constexpr std::string_view world_size_message =
    "You should rework AI driving lines after changing world size.\n"
    "The track will work even if you don't but it's highly recommended,\n"
    "especially if you have changed the world size significantly.";

std::string default_game_path() {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    return utf8_of(folder / "Tyrestorm.exe");
}

} // namespace

void new_track_command(Editor& editor) {
    if (!confirm_drop_changes(editor, DropReason::new_track)) {
        return;
    }
    Track& t = editor.track;
    Ui& ui = *editor.ui;
    // Start positions, properties, empty lists and texts, a Grass map and flat heights.
    reset_track(t);
    ui.select_object_kind_entry(0);
    editor.tools.object_kind = 0;

    // The undo copies belong to the old track.
    editor.undo.land_armed = false;
    editor.undo.heights_armed = false;
    for (int id : {id::land_undo, id::hmap_undo, id::delete_pit, id::delete_checkpoint,
                   id::delete_ai_line, id::delete_ai_pit_line}) {
        ui.set_control_enabled(id, false);
    }

    build_shading_table(editor.renderer, t.water_level);
    recompute_all_pixels(canvas_of(editor));
    for (int i = 0; i < t.object_count; ++i) {
        const Object& o = t.objects[i];
        draw_object(canvas_of(editor), o.x, o.y, o.angle, o.kind, DrawMode::draw, i);
    }
    // A new track: the next overlay pass starts afresh.
    invalidate_overlays(canvas_of(editor));
    set_title(editor, {});
    editor.documents.disk_stamp.reset();
    request_repaint(editor, false);
    track_properties_command(editor);
    // The track New made, with the properties chosen for it, starts the history.
    start_history(editor);
}

void open_track_command(Editor& editor) {
    if (!confirm_drop_changes(editor, DropReason::opening)) {
        return;
    }
    editor.documents.last_file_error.clear();
    FileDialogRequest request = track_dialog(editor.documents.open_track_name);
    request.file_must_exist = true;
    const std::optional<std::string> path = editor.ui->open_file_dialog(request);
    if (!path) {
        return;
    }
    editor.documents.open_track_name = *path;
    open_track_file(editor, *path);
}

void drop_track(Editor& editor, const std::string& path) {
    if (!confirm_drop_changes(editor, DropReason::opening)) {
        return;
    }
    editor.documents.last_file_error.clear();
    open_track_file(editor, path);
}

bool save_track_command(Editor& editor) {
    editor.documents.last_file_error.clear();
    Ui& ui = *editor.ui;
    const Flaws flaws = validate_track(editor.track);
    if (flaws.any() && !ui.ask_yes_no(validation_message(flaws))) {
        return false;
    }
    FileDialogRequest request = track_dialog(editor.names.current_file_name);
    request.confirm_overwrite = true;
    const std::optional<std::string> path = ui.save_file_dialog(request);
    if (!path) {
        return false;
    }
    const TrackFileError error =
        write_track(*path, editor.track, &editor.documents.last_file_error);
    if (error != TrackFileError::none) {
        ui.message_box(message_for(error));
        return false;
    }
    mark_saved(editor);
    set_title(editor, *path);
    // The file holds the track now: its own write is no change by another program.
    note_file_on_disk(editor, *path);
    remove_recovery_copy(editor);
    return true;
}

void track_properties_command(Editor& editor) {
    Track& t = editor.track;
    PropertiesValues values = properties_of(t);
    const bool ok = editor.ui->run_properties_dialog(values, [&](const PropertiesValues& v) {
        const std::uint8_t old_world_size = t.world_size;
        take_properties(t, v);
        // Said while the dialog is still open, so that the message belongs to it.
        if (t.world_size != old_world_size && (t.ai_line_count > 0 || t.ai_pit_line_count > 0)) {
            editor.ui->message_box(world_size_message);
        }
    });
    if (!ok) {
        return;
    }
    build_shading_table(editor.renderer, t.water_level);
    recompute_world_scale(t);
    full_redraw(editor);
}

void launch_game_command(Editor& editor) {
    std::string& game = editor.documents.game_path;
    if (game.empty()) {
        game = default_game_path();
    }
    if (editor.ui->start_program(game)) {
        return;
    }
    FileDialogRequest request;
    request.filters = {{"Tyrestorm Executable (Tyrestorm.exe)", "Tyrestorm.exe"},
                       {"All Files", "*.*"}};
    request.initial_name = game;
    request.file_must_exist = true;
    const std::optional<std::string> path = editor.ui->open_file_dialog(request);
    if (!path) {
        return;
    }
    game = *path;
    editor.ui->start_program(game); // a second failure is silent
}

int& property_value(PropertiesValues& v, TrackProperty property) {
    switch (property) {
    case TrackProperty::water_level:
        return v.water_level;
    case TrackProperty::view_angle:
        return v.view_angle;
    case TrackProperty::rotation:
        return v.rotation;
    case TrackProperty::zoom:
        return v.zoom;
    case TrackProperty::world_size:
        break;
    }
    return v.world_size;
}

} // namespace cs
