#include "editor/dispatch.h"
#include "editor/view_commands.h"

#include <algorithm>

#include "editor/commands.h"
#include "editor/editor.h"
#include "editor/history.h"
#include "editor/mouse.h"
#include "editor/tool_commands.h"
#include "interaction/ai_line.h"
#include "interaction/elements.h"
#include "render/view.h"
#include "resources/templates.h"
#include "terrain/heights.h"

namespace cs {

namespace {

void toggle_view_box(Editor& editor, int id) {
    const bool on = editor.ui->check_state(id) == 1;
    switch (id) {
    case id::show_ai_line:
        show_ai_line(editor, on, false);
        break;
    case id::show_objects:
        show_objects(editor, on, false);
        break;
    case id::show_checkpoints:
        show_checkpoints(editor, on, false);
        break;
    case id::zoom_2x:
        set_zoom_2x(editor, on, false);
        break;
    case id::zoom_4x:
        set_zoom_4x(editor, on, false);
        break;
    default:
        break;
    }
}

void choose_object_kind(Editor& editor) {
    const int position = editor.ui->object_kind_selection();
    if (position < 0 || position >= object_kind_count) {
        return; // no entry selected
    }
    select_object_kind(editor, object_kind_list[static_cast<std::size_t>(position)].kind);
}

void delete_object_box(Editor& editor, Notification notification) {
    if (notification == Notification::kill_focus) {
        // Delete-object mode ends as soon as the box loses the keyboard focus.
        editor.ui->set_check(id::delete_object, false);
        set_delete_object_mode(placement_edit_of(editor), false);
    } else if (notification == Notification::clicked) {
        set_delete_object_mode(placement_edit_of(editor),
                               editor.ui->check_state(id::delete_object) == 1);
    }
}

// A command's own action.
void run_command(Editor& editor, int id, Notification notification) {
    switch (id) {
    case id::object_kinds:
        if (notification == Notification::selection_changed) {
            choose_object_kind(editor);
        }
        break;
    case id::show_ai_line:
    case id::show_objects:
    case id::show_checkpoints:
    case id::zoom_2x:
    case id::zoom_4x:
        toggle_view_box(editor, id);
        break;
    case id::delete_object:
        delete_object_box(editor, notification);
        break;
    case id::rotate_back_10:
        rotate_ai_line(placement_edit_of(editor), -10);
        break;
    case id::rotate_back_1:
        rotate_ai_line(placement_edit_of(editor), -1);
        break;
    case id::rotate_on_1:
        rotate_ai_line(placement_edit_of(editor), 1);
        break;
    case id::rotate_on_10:
        rotate_ai_line(placement_edit_of(editor), 10);
        break;
    case id::new_track:
        new_track_command(editor);
        break;
    case id::load:
        open_track_command(editor);
        break;
    case id::save:
        save_track_command(editor);
        break;
    case id::launch_game:
        launch_game_command(editor);
        break;
    case id::track_properties:
        track_properties_command(editor);
        break;
    case id::import_ai_line:
        import_ai_line_command(editor);
        break;
    case id::import_land:
        import_land_command(editor);
        break;
    case id::import_hmap:
        import_heights_command(editor);
        break;
    case id::export_land:
        export_land_command(editor);
        break;
    case id::export_hmap:
        export_heights_command(editor);
        break;
    case id::land_undo:
        undo_land(editor);
        break;
    case id::hmap_undo:
        undo_heights(editor);
        break;
    case id::flatten:
        flatten_heights(editor);
        break;
    case id::delete_pit:
        delete_last_pit(placement_edit_of(editor));
        break;
    case id::delete_checkpoint:
        delete_last_checkpoint(placement_edit_of(editor));
        break;
    case id::delete_ai_line:
        delete_last_ai_line_point(placement_edit_of(editor));
        break;
    case id::delete_ai_pit_line:
        delete_last_ai_pit_line_point(placement_edit_of(editor));
        break;
    default:
        break;
    }
}

} // namespace

void dispatch_command(Editor& editor, int id, Notification notification) {
    if (id >= id::first_tool && id <= id::last_tool) {
        select_tool(editor, id - id::first_tool);
        return;
    }
    run_command(editor, id, notification);
    // Every command that changed the track is one step of the history.
    record_edit(editor);
}

void slider_notification(Editor& editor, int id, SliderEvent event) {
    if (event != SliderEvent::released_capture) {
        return;
    }
    const int position = editor.ui->slider_position(id);
    switch (id) {
    case id::brush_size:
        set_brush_size(editor, std::clamp(position, 1, 10));
        break;
    case id::rope_length:
        set_rope_length(editor, std::clamp(position, 0, 10));
        break;
    case id::image_blend:
        set_image_blend(editor, std::clamp(position, 0, 10));
        break;
    default:
        break;
    }
}

KeyAction keyboard_action(Key key, bool shift_held) {
    switch (key) {
    case Key::tab:
        return shift_held ? KeyAction::focus_previous : KeyAction::focus_next;
    case Key::enter:
        return KeyAction::click_focused;
    default:
        return KeyAction::none;
    }
}

void initialise_panel(Editor& editor) {
    Ui& ui = *editor.ui;
    const ScrollSettings idle{0, 0, 500, 0, true};
    ui.set_scroll_bar(ScrollBar::vertical, idle);
    ui.set_scroll_bar(ScrollBar::horizontal, idle);
    const int values[] = {editor.tools.brush_size, editor.tools.rope_length,
                          editor.tools.image_blend};
    for (std::size_t i = 0; i < panel_sliders.size(); ++i) {
        const PanelSlider& s = panel_sliders[i];
        ui.set_slider(s.id, s.minimum, s.maximum, values[i] / s.step);
    }
    for (int id : panel_initially_checked) {
        ui.set_check(id, true);
    }
    ui.select_object_kind_entry(0);
}

MapPosition map_mouse_position(const ViewState& view, ClientSize client, int window_x,
                               int window_y) {
    // Window positions arrive as signed 16-bit words.
    const std::int32_t x = static_cast<std::int16_t>(window_x);
    const std::int32_t y = static_cast<std::int16_t>(window_y);
    std::int32_t mx = x;
    std::int32_t my = y;
    if (view.zoom_2x) {
        mx = (1024 - client.width) * view.scroll_h / 1000 + x / 2;
        my = y / 2 + (1024 - client.height) * view.scroll_v / 1000;
    } else if (view.zoom_4x) {
        mx = (2048 - client.width) * view.scroll_h / 4000 + x / 4;
        my = y / 4 + (2048 - client.height) * view.scroll_v / 4000;
    }
    return {static_cast<std::int16_t>(mx), static_cast<std::int16_t>(my)};
}

void view_mouse(Editor& editor, ViewMouse message, int window_x, int window_y, int key_state) {
    const MapPosition p =
        map_mouse_position(editor.view, editor.ui->view_client_size(), window_x, window_y);
    const bool in_map = p.x >= 0 && p.x < map_size && p.y >= 0 && p.y < map_size;
    switch (message) {
    case ViewMouse::move:
        move_handler(editor, key_state, p.x, p.y);
        break;
    case ViewMouse::left_down:
        if (in_map) {
            press_handler(editor, left_button, p.x, p.y);
        }
        break;
    case ViewMouse::right_down:
        if (in_map) {
            press_handler(editor, right_button, p.x, p.y);
        }
        break;
    case ViewMouse::left_up:
        release_handler(editor, left_button, p.x, p.y);
        break;
    case ViewMouse::right_up:
        release_handler(editor, right_button, p.x, p.y);
        break;
    }
}

void panel_mouse_move(Editor& editor, int panel_x, int panel_y, int view_left, int key_state) {
    view_mouse(editor, ViewMouse::move, panel_x - view_left, panel_y, key_state);
}

int scroll_target(ScrollRequest request, int thumb, const ScrollSettings& bar) {
    int position = bar.position;
    switch (request) {
    case ScrollRequest::line_up:
        position -= 10;
        break;
    case ScrollRequest::line_down:
        position += 10;
        break;
    case ScrollRequest::page_up:
        position -= 100;
        break;
    case ScrollRequest::page_down:
        position += 100;
        break;
    case ScrollRequest::thumb_track:
    case ScrollRequest::thumb_position:
        position = thumb;
        break;
    case ScrollRequest::other:
        break;
    }
    // The largest position a bar accepts is maximum - page + 1.
    const int largest = std::max(bar.minimum, bar.maximum - bar.page + 1);
    return std::clamp(position, bar.minimum, largest);
}

void view_scroll(Editor& editor, ScrollBar bar, ScrollRequest request, int thumb) {
    ScrollSettings settings = editor.ui->scroll_bar(bar);
    settings.position = scroll_target(request, thumb, settings);
    if (editor.view.zoom_2x || editor.view.zoom_4x) {
        (bar == ScrollBar::horizontal ? editor.view.scroll_h : editor.view.scroll_v) =
            settings.position;
    }
    editor.ui->set_scroll_bar(bar, settings);
    request_repaint(editor, true);
}

} // namespace cs
