// Turns panel commands, slider releases, keys and the view window's mouse and scroll
// input into the editor's operations.
#pragma once

#include <cstdint>

#include "editor/ui.h"

namespace cs {

struct Editor;
struct ViewState;

// What a control reports along with its ID.
enum class Notification {
    clicked,           // a button click (also accelerator commands)
    selection_changed, // the object-kind list's selection
    set_focus,
    kill_focus,
    other,
};

// One command of the panel, in the order: tool radio buttons first (for every
// notification), then the control's own action.
void dispatch_command(Editor& editor, int id, Notification notification);

enum class SliderEvent { moved, released_capture };
// Sliders act only when the user lets go of them.
void slider_notification(Editor& editor, int id, SliderEvent event);

// The panel's dialog-like keys.
enum class Key { tab, enter, other };
enum class KeyAction { none, focus_next, focus_previous, click_focused };
KeyAction keyboard_action(Key key, bool shift_held);

// The start-up state of the panel's controls once the editor is set up: slider ranges and
// positions, the checked radio button and check boxes, the object-kind list, and both
// scroll bars shown disabled until a magnification is chosen. (Which buttons start
// disabled is part of the panel's template, applied when the controls are created.)
void initialise_panel(Editor& editor);

struct MapPosition {
    std::int16_t x = 0;
    std::int16_t y = 0;
};
// A window position (signed 16-bit client coordinates) in map units at the current
// magnification and scroll positions.
MapPosition map_mouse_position(const ViewState& view, ClientSize client, int window_x,
                               int window_y);

enum class ViewMouse { move, left_down, right_down, left_up, right_up };
// The view window's mouse messages: presses outside the map are dropped, moves and
// releases are passed on wherever they are.
void view_mouse(Editor& editor, ViewMouse message, int window_x, int window_y, int key_state);
// A mouse move over the panel itself, outside the view: x is taken relative to the view.
void panel_mouse_move(Editor& editor, int panel_x, int panel_y, int view_left, int key_state);

enum class ScrollRequest {
    line_up,
    line_down,
    page_up,
    page_down,
    thumb_track,
    thumb_position,
    other
};
// The position a scroll request asks for, clamped to the largest position the bar accepts.
int scroll_target(ScrollRequest request, int thumb, const ScrollSettings& bar);
// Scrolls the view, stores the position at 2x and 4x and repaints at once.
void view_scroll(Editor& editor, ScrollBar bar, ScrollRequest request, int thumb);

} // namespace cs
