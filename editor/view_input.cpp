#include "editor/view_input.h"

#include <cstdint>
#include <cstdlib>

#include "editor/dispatch.h"
#include "editor/editor.h"
#include "editor/history.h"
#include "render/view.h"
#include "resources/control_ids.h"

namespace cs {

namespace {

constexpr int wheel_notch = 120;

// One notch is one line of the bar (not the desktop's lines-per-notch setting), the same
// request as a click on its arrow: wheel up (or left) scrolls toward the start. Stops when
// the bar is at its end.
void scroll_lines(Editor& editor, ScrollBar bar, int notches) {
    const ScrollRequest request = notches > 0 ? ScrollRequest::line_up : ScrollRequest::line_down;
    for (int i = std::abs(notches); i > 0; --i) {
        const int before = editor.ui->scroll_bar(bar).position;
        view_scroll(editor, bar, request, 0);
        if (editor.ui->scroll_bar(bar).position == before) {
            break;
        }
    }
}

// Each notch up doubles the magnification and each notch down halves it, through the Zoom
// boxes' own command as a click sends it: the box takes its new state, then the command
// reads it. The map point under the pointer then stays under it as far as the bars reach.
void step_zoom(Editor& editor, int notches, int at_x, int at_y) {
    for (; notches != 0; notches += notches > 0 ? -1 : 1) {
        const int from = magnification(editor.view);
        const int to = notches > 0 ? from * 2 : from / 2;
        if (to < 1 || to > 4) {
            break;
        }
        const MapPosition anchor =
            map_mouse_position(editor.view, editor.ui->view_client_size(), at_x, at_y);
        const int box = to == 4 ? id::zoom_4x : id::zoom_2x;
        editor.ui->set_check(box, to != 1);
        dispatch_command(editor, box, Notification::clicked);
        if (to == 1) {
            continue;
        }
        const ClientSize size = editor.ui->view_client_size();
        view_scroll(editor, ScrollBar::horizontal, ScrollRequest::thumb_position,
                    scroll_position_for_offset(size.width, anchor.x - at_x / to, to));
        view_scroll(editor, ScrollBar::vertical, ScrollRequest::thumb_position,
                    scroll_position_for_offset(size.height, anchor.y - at_y / to, to));
    }
}

} // namespace

int wheel_notches(int& remainder, int delta) {
    if ((remainder > 0 && delta < 0) || (remainder < 0 && delta > 0)) {
        remainder = 0;
    }
    // Summed wide: the remainder is below one notch, but delta may be any int.
    const std::int64_t total = std::int64_t{remainder} + delta;
    const std::int64_t notches = total / wheel_notch;
    remainder = static_cast<int>(total - notches * wheel_notch);
    return static_cast<int>(notches);
}

bool view_wheel(Editor& editor, WheelTurns& turns, const WheelInput& input,
                const std::function<void(bool hold)>& hold_painting) {
    if (input.button_held) {
        return false;
    }
    if (input.ctrl) {
        const int notches = wheel_notches(turns.zoom, input.delta_y);
        if (notches != 0) {
            // The view is painted once, at the end, rather than at each step.
            hold_painting(true);
            step_zoom(editor, notches, input.x, input.y);
            hold_painting(false);
        }
        return true;
    }
    if (magnification(editor.view) == 1) {
        return false;
    }
    const int across = input.shift && input.delta_y != 0 ? input.delta_y : input.delta_x;
    scroll_lines(editor, ScrollBar::horizontal, wheel_notches(turns.across, across));
    scroll_lines(editor, ScrollBar::vertical,
                 wheel_notches(turns.down, input.shift ? 0 : input.delta_y));
    return true;
}

HistoryStep history_step(char key, bool ctrl, bool shift, bool alt) {
    if (!ctrl || alt) {
        return HistoryStep::none;
    }
    for (const HistoryKey& k : history_keys) {
        if (k.key == key && k.shift == shift) {
            return k.step;
        }
    }
    return HistoryStep::none;
}

bool take_history_step(Editor& editor, HistoryStep step) {
    switch (step) {
    case HistoryStep::undo:
        return undo_edit(editor);
    case HistoryStep::redo:
        return redo_edit(editor);
    case HistoryStep::none:
        break;
    }
    return false;
}

} // namespace cs
