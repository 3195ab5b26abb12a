#include "editor/view_commands.h"

#include "editor/editor.h"
#include "render/overlay.h"
#include "render/terrain_image.h"
#include "resources/control_ids.h"

namespace cs {

namespace {

void show_flag(Editor& editor, bool ViewState::*flag, int box, bool on, bool update_box) {
    editor.view.*flag = on;
    if (update_box) {
        editor.ui->set_check(box, on);
    }
    // The overlays are drawn into the image, so hiding a kind of shape needs the terrain
    // back under it, and showing one needs everything drawn again in order.
    full_redraw(editor);
}

// Switches magnification `chosen` (2 or 4) on or off. Switching one on switches the
// other off; switching the active one off returns to 1x.
void set_zoom(Editor& editor, int chosen, bool on, bool update_box) {
    ViewState& view = editor.view;
    Ui& ui = *editor.ui;
    const bool two = chosen == 2;
    bool& flag = two ? view.zoom_2x : view.zoom_4x;
    bool& other = two ? view.zoom_4x : view.zoom_2x;
    flag = on;
    if (on) {
        other = false;
    }
    if (update_box) {
        ui.set_check(two ? id::zoom_2x : id::zoom_4x, on);
    }
    ui.set_check(two ? id::zoom_4x : id::zoom_2x, other);

    // The bars follow the magnification now in effect. At 1x they have nothing to scroll
    // and, not being kept visible, disappear; the page stays the one of the box used.
    ScrollSettings bars{0, 0, two ? 500 : 250, 0, false};
    if (view.zoom_2x) {
        bars.maximum = 1000;
        bars.page = 500;
    } else if (view.zoom_4x) {
        bars.maximum = 1250;
        bars.page = 250;
    }
    ui.set_scroll_bar(ScrollBar::vertical, bars);
    ui.set_scroll_bar(ScrollBar::horizontal, bars);
    view.scroll_h = 0;
    view.scroll_v = 0;
    // Only the way the image reaches the window changes; the image stays as it is.
    request_repaint(editor, false);
}

} // namespace

void show_ai_line(Editor& editor, bool on, bool update_box) {
    show_flag(editor, &ViewState::show_ai_line, id::show_ai_line, on, update_box);
}

void show_objects(Editor& editor, bool on, bool update_box) {
    show_flag(editor, &ViewState::show_objects, id::show_objects, on, update_box);
}

void show_checkpoints(Editor& editor, bool on, bool update_box) {
    show_flag(editor, &ViewState::show_checkpoints, id::show_checkpoints, on, update_box);
}

void set_zoom_2x(Editor& editor, bool on, bool update_box) {
    set_zoom(editor, 2, on, update_box);
}

void set_zoom_4x(Editor& editor, bool on, bool update_box) {
    set_zoom(editor, 4, on, update_box);
}

void request_repaint(Editor& editor, bool force) {
    request_repaint(editor.view, *editor.ui, force);
}

void full_redraw(Editor& editor) {
    // A change that touches the whole track: the history compares all of it.
    editor.history.hints.everything();
    if (editor.renderer.exists()) {
        const Canvas canvas = canvas_of(editor);
        recompute_all_pixels(canvas);
        // Whatever changed, the next pass draws every overlay afresh.
        invalidate_overlays(canvas);
        redraw_overlays(canvas);
    }
    request_repaint(editor, false);
}

PaintCopy paint_view(Editor& editor, Rect update) {
    if (!editor.renderer.exists()) {
        return {};
    }
    const ClientSize client = editor.ui->view_client_size();
    const ViewState& view = editor.view;
    return paint_geometry(update, client.width, client.height, view.scroll_h, view.scroll_v,
                          magnification(view));
}

void EditorHost::request_repaint(bool force) {
    cs::request_repaint(editor_, force);
}
void EditorHost::show_ai_line() {
    cs::show_ai_line(editor_, true, true);
}
void EditorHost::show_checkpoints() {
    cs::show_checkpoints(editor_, true, true);
}
void EditorHost::set_control_enabled(int id, bool enabled) {
    editor_.ui->set_control_enabled(id, enabled);
}

} // namespace cs
